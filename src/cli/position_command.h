#pragma once

// kyrvana-cli position: each well's actuator position in mm and load cell
// force in N, as Move to Position shows them.

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_options.h"
#include "core/hardware/well_motion.h"

namespace kyrvana::cli {

void addPositionCommand(CLI::App& app, CliOptions& options);

// "Well<TAB>Position (mm)<TAB>Force (N)" and one line per well (1 to 6).
std::string wellReadingsText(const WellReadings& readings);

}  // namespace kyrvana::cli
