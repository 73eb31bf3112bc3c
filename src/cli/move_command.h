#pragma once

// kyrvana-cli move --by MM | --by MM1,MM2,MM3,MM4,MM5,MM6: moves every well by
// the same amount or each by its own, as Apply of Move to Position does (a
// positive amount extends a Kyrvana P7's actuators and retracts a Kyrvana
// Q3's), waits until the motors stop and prints the positions and forces.

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string_view>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addMoveCommand(CLI::App& app, CliOptions& options);

// One number for every well or six comma-separated ones; nothing for any
// other text.
std::optional<std::array<double, 6>> parseMoveAmounts(std::string_view text);

}  // namespace kyrvana::cli
