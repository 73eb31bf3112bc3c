#pragma once

// Verify Device: does the stimulator hold the test that the program would
// write into it? Both sides are compared in the form the device stores them
// (whole micrometres and millinewtons, unsigned milliseconds, one-byte codes,
// set names cut to fifteen characters), so that a value the device rounds or
// a name it shortens compares equal when the device holds exactly what
// programming sends, and a sequence just programmed always matches. What is
// left is a real difference: a set the device does not hold, a value changed
// on the device since, a name the sequence text could not carry.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/programming/device_set_table.h"
#include "core/protocol/protocol.h"

namespace kyrvana {

// What a programmed stimulator holds of a test, item by item, in the device's
// own form.
struct DeviceContents {
    // One record per set, in running order.
    std::vector<DeviceSetRecord> sets;
    // None when the device holds no usable sequence text.
    std::optional<std::int32_t> repeatCount;
    std::string testName;
    std::string testNumber;
    bool homingDisabled = false;
    // Bit n-1 set: well n is disabled.
    std::uint8_t disabledWellsMask = 0;
    // Force-control maximum velocity code, as control setting 3 of well 0;
    // none when it was not read (Read Device reads it only with a sequence),
    // and then it is not compared.
    std::optional<std::uint32_t> velocityCode;
};

// The test as the program would write it: the sequence and the values of the
// form and the document that travel with it.
struct TestToProgram {
    Protocol sequence;
    std::int32_t repeatCount = 1;
    std::string testName;
    // The number the device gave at connection: it is the device's own item,
    // never written by programming, so a change shows that it moved on.
    std::string testNumber;
    bool homingDisabled = false;
    std::uint8_t disabledWellsMask = 0;
    std::uint32_t velocityCode = 7;
};

// The sets of a device set table: the entries before the first one with 0
// repetitions.
std::vector<DeviceSetRecord> usedDeviceSets(const DeviceSetTable& table);

// What the device holds after `test` was programmed into it. Every set of the
// sequence is kept, also beyond the tenth or after one with 0 repetitions,
// where the device's table ends: those sets never reach the device, and that
// is a difference to report, not to hide.
DeviceContents deviceFormOf(const TestToProgram& test);

// One line per difference, e.g. "Set 3 Hold Dur.: device 2.000 (S), sequence
// 2.500 (S)"; none when the device holds the sequence. Durations are shown in
// the sequence set's time unit (in seconds when that would hide the
// difference), magnitudes in the unit the control mode gives them on the
// device, texts in quotes.
std::vector<std::string> listDifferences(const DeviceContents& device,
                                         const DeviceContents& sequence);

inline constexpr const char* kDeviceMatchesMessage = "Device matches the sequence";

}  // namespace kyrvana
