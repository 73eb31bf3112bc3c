#include "core/common/stripped_number_text.h"

#include "core/common/c_locale_text.h"

namespace kyrvana {

std::string strippedNumberText(double value) {
    std::string text = cFormat("%f", value);
    // "%f" always prints a decimal point for finite values; "inf" and "nan"
    // have none and must keep their letters.
    if (text.find('.') == std::string::npos) {
        return text;
    }
    while (!text.empty() && text.back() == '0') {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

}  // namespace kyrvana
