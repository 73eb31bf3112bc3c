#pragma once

// One set of a test sequence: how the device drives the six wells through a
// number of repetitions of one cycle (load, hold, recover, rest), with the
// per-well magnitudes, the preload and what the device records.

#include <array>
#include <cstdint>
#include <string>

#include "core/device/device_vocabulary.h"
#include "core/protocol/enumerations.h"

namespace kyrvana {

// A few settings exist per axis for the wells X, Y and Z only.
inline constexpr int kAxisCount = 3;

struct SetRecord {
    // Only index 0 is the set's control mode, waveform and unit; Y and Z are
    // carried for the file's columns.
    std::array<ControlMode, kAxisCount> mode{ControlMode::Displacement, ControlMode::Displacement,
                                             ControlMode::Displacement};
    std::array<FunctionType, kAxisCount> function{FunctionType::Ramp, FunctionType::Strain,
                                                  FunctionType::Ramp};
    std::array<UnitsCode, kAxisCount> units{UnitsCode::Micrometres, UnitsCode::Percent,
                                            UnitsCode::Percent};
    // Per well, in the unit units[0].
    std::array<double, kWellCount> magnitude{1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
    std::array<PreloadType, kWellCount> preloadType{PreloadType::None, PreloadType::None,
                                                    PreloadType::None, PreloadType::None,
                                                    PreloadType::None, PreloadType::None};
    // Preload force per well in mN.
    std::array<double, kWellCount> preloadMag{};

    // Phase durations in seconds, as older files give them; nothing computes
    // with them and the writer leaves them out.
    double stretchDurationSec = 10.0;
    double recoveryDurationSec = 10.0;
    double holdTimeSec = 0.0;
    double restTimeSec = 0.0;

    // Phase durations in milliseconds: the ones shown, summed and saved.
    std::int32_t stretchDurationMs = 1000;
    std::int32_t recoveryDurationMs = 1000;
    std::int32_t holdTimeMs = 0;
    std::int32_t restTimeMs = 0;

    std::int32_t numReps = 1;
    DataFrequency dataFrequency = DataFrequency::Hz1;
    // The recording period exactly as a file's millisecond column gave it.
    std::int32_t dataPeriodMs = 1000;
    ImageFrequency imageFrequency = ImageFrequency::PerSecond1;
    // May hold blanks; the set editor keeps it to 15 characters, files may not.
    std::string name = "Data1";
    double tolerance = 5.0;
    bool tolCorOver = false;
    std::int32_t autoAdjust = 0;
    TimeUnits timeUnits = TimeUnits::Seconds;
    DataType dataType = DataType::All64;
    double loadSpeed = 0.0;
    double unloadSpeed = 0.0;
    std::uint32_t loadAccel = 0;
    std::uint32_t unloadAccel = 0;

    friend bool operator==(const SetRecord&, const SetRecord&) = default;
};

}  // namespace kyrvana
