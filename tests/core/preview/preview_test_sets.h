#pragma once

// Sets and profiles built in one line for the preview's tests.

#include <array>
#include <optional>
#include <vector>

#include "core/preview/sequence_profile.h"

namespace kyrvana::preview_test {

// A set with the given phase durations (ms), repetitions and one magnitude
// for every well, in `units` (a force unit makes it a force set).
inline SetRecord cycleSet(std::int32_t loadMs, std::int32_t holdMs, std::int32_t recoveryMs,
                          std::int32_t restMs, std::int32_t repetitions, double magnitude,
                          UnitsCode units = UnitsCode::Micrometres) {
    SetRecord set;
    set.stretchDurationMs = loadMs;
    set.holdTimeMs = holdMs;
    set.recoveryDurationMs = recoveryMs;
    set.restTimeMs = restMs;
    set.numReps = repetitions;
    set.magnitude.fill(magnitude);
    set.units[0] = units;
    const bool force = units == UnitsCode::Millinewtons || units == UnitsCode::Micronewtons ||
                       units == UnitsCode::Newtons;
    set.mode[0] = force ? ControlMode::Force : ControlMode::Displacement;
    return set;
}

inline SequenceProfile profileOf(const std::vector<SetRecord>& sets, std::int32_t repeats = 1,
                                 const DisabledWells& disabled = {}, int hardwareType = 0,
                                 std::optional<std::array<float, kWellCount>> loads = {}) {
    ProfileInputs inputs;
    for (const SetRecord& set : sets) {
        inputs.sequence.append(set);
    }
    inputs.repeatCount = repeats;
    inputs.disabledWells = disabled;
    inputs.hardwareType = hardwareType;
    inputs.fullScaleLoads = loads;
    return SequenceProfile(std::move(inputs));
}

}  // namespace kyrvana::preview_test
