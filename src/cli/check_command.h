#pragma once

// kyrvana-cli check FILE: every set of a protocol file through the set
// editor's limits, as if OK were pressed on it unchanged, and the whole
// sequence through the checks before programming; offline.

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_options.h"
#include "core/editor/set_limits.h"
#include "core/protocol/protocol.h"

namespace kyrvana::cli {

void addCheckCommand(CLI::App& app, CliOptions& options);

// The report of the checks: each message of a refused set preceded by
// "Set N: ", then "Sequence: " and the first failed sequence check, if any.
// `passed` tells whether everything passed.
std::string checkReport(const Protocol& sequence, std::int32_t repeatCount,
                        const SetLimitsHardware& hardware, bool& passed);

}  // namespace kyrvana::cli
