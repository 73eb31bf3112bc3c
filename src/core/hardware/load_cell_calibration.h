#pragma once

// Load cell calibration: known weights hung on one well's load cell, a raw
// reading for each, and the least-squares gain in newtons per raw count. The
// six wells' records (full-scale load, gain, zero) live in the device's
// EEPROM item eeprom::kCalibration as six text lines.

#include <string>
#include <string_view>
#include <vector>

#include "core/device/device_link.h"

namespace kyrvana {

// Grams to newtons, with the acceleration the program has always used.
inline constexpr double kStandardGravity = 9.8;
inline constexpr const char* kTooFewWeightsMessage = "At least 2 different Weights required\n";

// One row of the readings list, as its two cells show it.
struct CalibrationRow {
    std::string weightG;
    std::string raw;
};

// A row for a weight in grams and its averaged raw reading, each printed as
// "%f" without trailing zeros ("200.5", "100").
CalibrationRow calibrationRow(double weightG, double raw);

enum class GainFit {
    Ok,
    TooFewReadings,   // fewer than 2 rows
    NoRawDifference,  // all raw readings equal: the slope has no value
};

struct GainFitResult {
    GainFit fit = GainFit::TooFewReadings;
    double gain = 0.0;  // N per raw count, when fit is Ok
};

// The least-squares slope of newtons (weight / 1000 × 9.8) over raw counts,
// from the rows' texts read as atof reads them; the intercept is not used.
GainFitResult fitGain(const std::vector<CalibrationRow>& rows);

// The gain as the device keeps it: cut down (not rounded) to 5 decimals and
// carried in single precision.
double cutGain(double slope);

// The six records as the EEPROM item's text: per well "fullScale,gain,zero"
// and a line feed, numbers in the standard stream's default form.
std::string calibrationText(const DeviceLink& link);

// Reads the six records from the device into the link.
DeviceResult loadCalibration(DeviceLink& link);

// Stores the full-scale load and gain of `well` in the link and saves all six
// records: the text at eeprom::kCalibration, then "UpdateFromSDIni(2,1)" so the device
// takes them over. Every exchange is made; the result is the first failure.
DeviceResult applyCalibration(DeviceLink& link, int well, double fullScaleN, double gain);

}  // namespace kyrvana
