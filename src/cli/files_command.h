#pragma once

// kyrvana-cli files: lists the test data files on the stimulator's SD card,
// as Scan for Data lists them: one "name<TAB>size in kB" line per file, then
// "Used Storage<TAB><share of the card>".

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addFilesCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
