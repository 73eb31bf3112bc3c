#include "core/device/revision_texts.h"

#include <string>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"

namespace kyrvana {
namespace {

// Only as much of the number text as a buffer of 10 (firmware) or 16
// (hardware) characters holds with its terminating zero byte is converted:
// 9 and 15 characters. A longer text is cut there, so "REV 4.5999999999"
// reads as 4.599999 and gives 4599, never a number the buffer could not hold.
constexpr std::size_t kFirmwareNumberChars = 9;
constexpr std::size_t kHardwareNumberChars = 15;

constexpr std::string_view kFirmwareKeyword = "REV";
constexpr std::size_t kFirmwareSkip = 3;  // "REV" itself
constexpr std::string_view kHardwareKeyword = "HARDWARE";
constexpr std::size_t kHardwareSkip = 11;  // "Hardware = "

// The number text at `skip` characters after the keyword's start, or nothing
// when the keyword is absent. A skip past the end gives an empty text.
bool numberAfter(std::string_view text, std::string_view keyword, std::size_t skip,
                 std::size_t maxChars, std::string& number) {
    const std::string upper = cToUpper(text);
    const std::size_t at = upper.find(keyword);
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t from = at + skip;
    number = from < text.size() ? std::string(text.substr(from, maxChars)) : std::string();
    return true;
}

}  // namespace

int firmwareRevisionFromText(std::string_view text) {
    std::string number;
    if (!numberAfter(text, kFirmwareKeyword, kFirmwareSkip, kFirmwareNumberChars, number)) {
        return kUnknownRevision;
    }
    return saturatingFloor<int>(cAtof(number) * 1000.0);
}

int hardwareRevisionFromText(std::string_view text) {
    std::string number;
    if (!numberAfter(text, kHardwareKeyword, kHardwareSkip, kHardwareNumberChars, number)) {
        return kUnknownRevision;
    }
    return saturatingFloor<int>(cAtof(number));
}

}  // namespace kyrvana
