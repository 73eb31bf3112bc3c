#pragma once

// The options every kyrvana-cli subcommand can see, and the exit statuses.

#include <string>

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
    int timeoutMs = 20000;
    // -v once or more: more diagnostics (the message log) on standard error.
    int verbosity = 0;

    // Set by the subcommand that ran.
    int exitStatus = kExitSuccess;
};

}  // namespace kyrvana::cli
