#pragma once

// The numbers in the device's revision texts. The third text names the
// firmware ("... REV 4.60"), the fourth the hardware ("Hardware = 2.00"); the
// program reads the number that follows the keyword, wherever the keyword
// stands and in whatever case it is written.

#include <string_view>

namespace kyrvana {

// Given to a revision the texts do not name.
inline constexpr int kUnknownRevision = 1000;

// The firmware revision times 1000, rounded down ("REV 4.59" -> 4590): the
// number from the third character after "REV" on. kUnknownRevision when the
// text has no "REV".
int firmwareRevisionFromText(std::string_view text);

// The hardware revision rounded down ("Hardware = 2.00" -> 2): the number from
// the eleventh character after the start of "HARDWARE" on. kUnknownRevision
// when the text has no "HARDWARE".
int hardwareRevisionFromText(std::string_view text);

}  // namespace kyrvana
