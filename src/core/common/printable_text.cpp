#include "core/common/printable_text.h"

#include "core/common/c_locale_text.h"

namespace kyrvana {

std::string printableText(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            text += cFormat("\\x%02X", byte);
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace kyrvana
