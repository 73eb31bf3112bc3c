#pragma once

// kyrvana-cli read [-o FILE]: reads the programmed sequence back from the
// stimulator, as Read Device does, and prints it as show prints a file.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addReadCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
