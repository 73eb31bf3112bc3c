#pragma once

#include <string>

namespace kyrvana {

// The device uses the test name in its data file names on the SD card, so the
// characters that a file system or the card's listing would choke on are
// replaced by "_": \ / : * ? " < > | ( ). True when one was replaced; the
// length never changes.
bool cleanTestName(std::string& name);

inline constexpr const char* kInvalidTestNameWarning =
    "Warning:  Invalid Characters will be removed\nfrom Test Name / : * ? \" < > | ( ) \\\n";

}  // namespace kyrvana
