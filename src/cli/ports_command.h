#pragma once

// kyrvana-cli ports: the USB serial ports, one line each: name, description,
// hardware identifier, and "stimulator" when the port has the stimulator's
// USB ids ("-" otherwise), separated by tabs. A stimulator whose port this user
// may not open is marked "stimulator (no access)", and standard error says how
// to get access. The ports are not opened: that would restart the stimulator.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "core/device/port_info.h"

namespace kyrvana::cli {

void addPortsCommand(CLI::App& app, CliOptions& options);

inline constexpr const char* kNoAccessMark = "stimulator (no access)";

// The lines for `ports`; `unusable` names the ports this user may not open.
std::string portsText(const std::vector<PortInfo>& ports, const std::vector<std::string>& unusable);

}  // namespace kyrvana::cli
