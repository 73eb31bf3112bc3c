#pragma once

// kyrvana-cli home: homes every actuator and waits until the motors stop.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"

namespace kyrvana::cli {

void addHomeCommand(CLI::App& app, CliOptions& options);

}  // namespace kyrvana::cli
