#pragma once

// The speed class tells the stimulator how hard its actuators will be driven
// in the programmed sequence, from the fastest load phase: 3 for gentle
// sequences, 2 for brisk ones, 1 for the fastest. Ramps tolerate higher
// speeds than the other waveforms, so each has its own thresholds.

#include "core/programming/device_set_table.h"

namespace kyrvana {

// The fastest load speeds of the table, in mm/s (micrometres per
// millisecond), over ramp entries and over entries of all other waveforms;
// both start at 0. Only the entries before the first one with 0 repetitions
// count.
struct PeakLoadSpeeds {
    double ramp = 0.0;
    double other = 0.0;
};
PeakLoadSpeeds peakLoadSpeeds(const DeviceSetTable& table);

// 1 to 3: the smaller of the class of the ramp maximum (below 1.0 -> 3,
// below 2.0 -> 2, else 1) and that of the other maximum (below 0.6 -> 3,
// below 1.2 -> 2, else 1).
int speedClass(const DeviceSetTable& table);

}  // namespace kyrvana
