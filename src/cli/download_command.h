#pragma once

// kyrvana-cli download NAME... | --all [--to DIR]: downloads test data files
// from the stimulator's SD card into DIR (default: the current folder), as
// Download Selected does: a file is put in place only when every byte
// arrived; a partial one is kept as NAME.incomplete beside an earlier copy.
// One "name<TAB>status<TAB>path" line per file on standard output; a
// progress line on standard error when it is a terminal.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addDownloadCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
