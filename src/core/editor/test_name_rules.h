#pragma once

#include <string>

#include "core/device/device_vocabulary.h"

namespace kyrvana {

// The device uses the test name in its data file names on the SD card, so the
// characters that a file system or the card's listing would choke on are
// replaced by "_": \ / : * ? " < > | ( ). True when one was replaced; the
// length never changes.
bool cleanTestName(std::string& name);

// The device keeps the test name in an EEPROM item with the homing and
// disabled-wells words right behind it; a longer name would overwrite them.
inline constexpr std::size_t kMaxTestNameLength = eeprom::kTestNameCapacity;
inline constexpr const char* kTestNameTooLongMessage =
    "Error:  Maximum Test Name Length = 234 Characters\n";

inline constexpr const char* kInvalidTestNameWarning =
    "Warning:  Invalid Characters will be removed\nfrom Test Name / : * ? \" < > | ( ) \\\n";

}  // namespace kyrvana
