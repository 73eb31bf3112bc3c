#pragma once

// What Program Device or Read Device did with the stimulator. The window
// shows its usual texts whatever happened, followed by the report's problem
// lines when it did not go through; the command-line tool's exit status and
// the tests follow this report.

#include <string>
#include <vector>

#include "core/device/device_result.h"
#include "core/device/exchange_tally.h"

namespace kyrvana {

struct ProgrammingReport {
    // Success only when the operation went to the device, every exchange was
    // acknowledged and (Read Device) the stored sequence was read. Otherwise
    // the first thing that went wrong: why nothing was sent (no port, no
    // device connected, a sequence its checks refused), the first exchange
    // that failed, or a stored sequence that could not be used.
    DeviceResult outcome;
    // Every exchange made, and each failed one in order with its command.
    ExchangeTally exchanges;
    // Read Device: the stored sequence text was read and taken apart.
    bool sequenceRead = false;
    // Program Device, when it stopped before its last item (a stop request,
    // or a command the device did not answer): what the device holds now,
    // such as "test name written, sequence not written: program again".
    // Empty when it went through to the end.
    std::string deviceHolds;

    bool ok() const { return outcome.ok(); }
};

// What went wrong with Program Device, one sentence a line, for the window's
// message pane and the command-line tool's standard error: what the device
// holds now, how many of the commands failed, and the first failure. Empty
// for a success.
std::vector<std::string> programmingProblemLines(const ProgrammingReport& report);

}  // namespace kyrvana
