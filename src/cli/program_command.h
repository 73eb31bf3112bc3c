#pragma once

// kyrvana-cli program FILE: programs a protocol file's sequence into the
// stimulator the way the Program Device command does.

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "core/hardware/well_settings.h"

namespace kyrvana::cli {

void addProgramCommand(CLI::App& app, CliOptions& options);

// A list of well numbers such as "2,5" as the wells to disable; nullopt for
// anything that is not a comma-separated list of numbers 1 to 6.
std::optional<std::array<bool, DisabledWells::kWells>> parseWellList(const std::string& list);

}  // namespace kyrvana::cli
