#pragma once

// kyrvana-cli show FILE: a protocol file's hardware values and its sequence as
// the main window lists it.

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

#include "cli/cli_options.h"
#include "core/protocol/hardware_settings.h"
#include "core/protocol/protocol.h"

namespace kyrvana::cli {

void addShowCommand(CLI::App& app, CliOptions& options);

// What show prints for a sequence: the hardware values, the list's header and
// one line per set (tab-separated cells), the total time and the used memory.
std::string showText(const Protocol& protocol, const HardwareSettings& hardware);

}  // namespace kyrvana::cli
