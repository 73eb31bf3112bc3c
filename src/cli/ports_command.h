#pragma once

// kyrvana-cli ports: the USB serial ports, one line each: name, description,
// hardware identifier, and "stimulator" when the port has the stimulator's
// USB ids ("-" otherwise), separated by tabs.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "core/device/port_info.h"

namespace kyrvana::cli {

void addPortsCommand(CLI::App& app, CliOptions& options);

std::string portsText(const std::vector<PortInfo>& ports);

}  // namespace kyrvana::cli
