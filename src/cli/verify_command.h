#pragma once

// kyrvana-cli verify FILE: reads what the stimulator holds and compares it
// with the test that `program` with the same file and options writes, as
// Verify Device does. The differences go to standard output; the exit status
// is 0 only when the device holds that test.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"
#include "core/programming/verify_device.h"

namespace kyrvana::cli {

void addVerifyCommand(CLI::App& app, CliOptions& options);

// "Device matches the sequence" or one line per difference on standard
// output, a read that failed on standard error; the exit status that goes
// with it.
int printVerifyReport(const VerifyReport& report);

}  // namespace kyrvana::cli
