#pragma once

// kyrvana-cli calibrate: the load cell calibration in three steps.
//   calibrate read --well N          the well's averaged raw load cell reading
//   calibrate fit WEIGHT_G:RAW ...   the gain (N per raw count) of the readings
//   calibrate apply --well N --full-scale-load N --gain G
//                                    stores the well's record and saves all six
//                                    to the device

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "core/hardware/load_cell_calibration.h"

namespace kyrvana::cli {

void addCalibrateCommand(CLI::App& app, CliOptions& options);

// "WEIGHT_G:RAW" pairs as readings rows; nothing when one is not two numbers.
std::optional<std::vector<CalibrationRow>> parseCalibrationPairs(
    const std::vector<std::string>& pairs);

}  // namespace kyrvana::cli
