#pragma once

// kyrvana-cli profile FILE: the commanded profile of a protocol file's
// sequence as CSV, the numbers the window's preview draws, for scripts that
// check or plot a protocol.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addProfileCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
