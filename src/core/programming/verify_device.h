#pragma once

// Verify Device: reads what the stimulator holds into a value of its own and
// compares it with the test the window would program now, leaving the
// document and the view's fields untouched. Runs on the request thread like
// Read Device (or directly, in the command-line tool) and reports in the
// message pane: "Device matches the sequence", one line per difference, or
// why the device could not be read.

#include <string>
#include <vector>

#include "core/device/device_result.h"

namespace kyrvana {

class CKyrvanaDoc;

struct VerifyReport {
    // The read's outcome (no port when no device is connected); the
    // comparison is only made after a full read.
    DeviceResult read;
    std::vector<std::string> differences;

    bool matches() const { return read.ok() && differences.empty(); }
};

// Starts the message pane's line for a read that failed; the failure's
// description follows.
inline constexpr const char* kVerifyReadFailedMessage = "Could not read the device: ";

[[nodiscard]] VerifyReport VerifyDevice(CKyrvanaDoc& document);

// "Device matches the sequence" or the differences, each line ended by a
// line feed: what a read that worked shows.
std::string comparisonText(const VerifyReport& report);

}  // namespace kyrvana
