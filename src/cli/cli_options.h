#pragma once

// The options every kyrvana-cli subcommand can see, and the exit statuses.

#include <string>

#include "core/device/device_timing.h"

namespace kyrvana::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the operation failed
inline constexpr int kExitUsage = 2;    // wrong command line

struct CliOptions {
    // Device path of the stimulator's serial port; empty: find it by its USB ids.
    std::string port;
    // Root of the sysfs tree in which serial ports are looked up.
    std::string sysfsRoot = "/";
    // Read time-out for one device answer, in milliseconds.
    int timeoutMs = timing::kReadTimeoutMs;
    // How long the device is given to start answering after its port opens,
    // in milliseconds (tests and the simulator need none).
    int settleMs = static_cast<int>(timing::kSettleDelay.count());
    // -v once or more: the message log's lines on standard error.
    int verbosity = 0;

    // Set by the subcommand that ran.
    int exitStatus = kExitSuccess;
};

}  // namespace kyrvana::cli
