#pragma once

// kyrvana-cli identify: connects to the stimulator as the program does and
// prints what it learnt: the revision texts, the model, the hardware type and
// revisions, the test name and number, and per well (numbered 1 to 6) the
// load cell calibration and the micrometres per microstep.

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_options.h"
#include "core/device/device_link.h"

namespace kyrvana::cli {

void addIdentifyCommand(CLI::App& app, CliOptions& options);

// The printed identity, tab-separated "name\tvalue" lines and a well table.
std::string identityText(const DeviceLink& link, const std::string& testName,
                         const std::string& testNumber);

}  // namespace kyrvana::cli
