#pragma once

// Whole-sequence arithmetic used by the sequence view and the checks before a
// sequence is saved or programmed.

#include "core/protocol/protocol.h"

namespace kyrvana {

// Running time of one pass through the sequence, in seconds: per set the
// repetitions times the four phase durations, plus the preload allowance.
double totalDurationSeconds(const Protocol& protocol);

// When a set preloads: the device presses each actuator to its preload force
// before the load, taking kPreloadMs for it. Only the X and Y preload types
// count; "every repetition" on either wins over "first repetition only".
inline constexpr double kPreloadMs = 2.0;
enum class PreloadTiming { None, FirstRepetition, EveryRepetition };
PreloadTiming preloadTiming(const SetRecord& set);

// Milliseconds the device spends on preloading during one set: 2.0 ms for each
// repetition that preloads. Only the X and Y preload types count. 0.0 for an
// index outside the list.
double preloadExtra(const Protocol& protocol, int index);

// Highest and lowest cumulative displacement, in millimetres, that the sets
// moving only one way (a load without recovery, or a recovery without load)
// reach, counted from the start position. Sets in other units do not move it.
struct DisplacementRange {
    double max = 0.0;
    double min = 0.0;
};
DisplacementRange displacementRange(const Protocol& protocol);

}  // namespace kyrvana
