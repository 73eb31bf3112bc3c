#include "core/hardware/load_cell_calibration.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"

namespace kyrvana {
namespace {

// Single precision as the device keeps it; numbers beyond its range become
// its largest rather than undefined.
float toSingle(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::isnan(value) ? value : std::clamp(value, -kLargest, kLargest));
}

}  // namespace

CalibrationRow calibrationRow(double weightG, double raw) {
    return {strippedNumberText(weightG), strippedNumberText(raw)};
}

GainFitResult fitGain(const std::vector<CalibrationRow>& rows) {
    GainFitResult result;
    if (rows.size() < 2) {
        return result;
    }
    std::vector<double> x;
    std::vector<double> y;
    double sumX = 0.0;
    double sumY = 0.0;
    for (const CalibrationRow& row : rows) {
        x.push_back(cAtof(row.raw));
        y.push_back(cAtof(row.weightG) / 1000.0 * kStandardGravity);
        sumX += x.back();
        sumY += y.back();
    }
    const auto n = static_cast<double>(rows.size());
    const double meanX = sumX / n;
    const double meanY = sumY / n;
    double covariance = 0.0;
    double variance = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        covariance += (x[i] - meanX) * (y[i] - meanY);
        variance += (x[i] - meanX) * (x[i] - meanX);
    }
    if (variance == 0.0) {
        result.fit = GainFit::NoRawDifference;
        return result;
    }
    result.fit = GainFit::Ok;
    result.gain = cutGain(covariance / variance);
    return result;
}

double cutGain(double slope) {
    const float hundredThousandths = toSingle(std::floor(slope * 100000.0));
    return static_cast<double>(hundredThousandths / 100000.0f);
}

std::string calibrationText(const DeviceLink& link) {
    std::string text;
    for (std::size_t well = 0; well < kWellCount; ++well) {
        text += cDefaultFloatText(link.fullScaleLoad[well]) + "," +
                cDefaultFloatText(link.loadCellGain[well]) + "," +
                cFormat("%u", static_cast<unsigned>(link.loadCellZero[well])) + "\n";
    }
    return text;
}

DeviceResult loadCalibration(DeviceLink& link) {
    return link.ReadWellCalibration();
}

DeviceResult applyCalibration(DeviceLink& link, int well, double fullScaleN, double gain) {
    const auto hold = link.Hold();
    const auto index = static_cast<std::size_t>(well);
    link.fullScaleLoad[index] = toSingle(fullScaleN);
    link.loadCellGain[index] = gain;
    link.PublishSnapshot();
    DeviceResult result = link.SetEepromData(eeprom::kCalibration, calibrationText(link));
    return result.keepFirstFailure(
        link.UpdateFromSDIni(DeviceLink::kUpdateSourceEeprom, DeviceLink::kUpdateCalibration));
}

}  // namespace kyrvana
