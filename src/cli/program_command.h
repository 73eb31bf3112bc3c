#pragma once

// kyrvana-cli program FILE: programs a protocol file's sequence into the
// stimulator the way the Program Device command does; with --verify it then
// compares what the device holds, as verify does.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addProgramCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
