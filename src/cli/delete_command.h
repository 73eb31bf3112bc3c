#pragma once

// kyrvana-cli delete NAME... | --all [--yes]: deletes test data files from the
// stimulator's SD card and prints each deleted name. --all asks first (on a
// terminal) unless --yes is given; like Delete All, it stops at the first
// file the device does not delete.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addDeleteCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
