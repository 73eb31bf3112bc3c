#include "core/programming/speed_class.h"

#include <algorithm>
#include <limits>

namespace kyrvana {
namespace {

// Micrometres per millisecond. A phase of 0 ms moves instantly: any movement
// in it is infinitely fast (and no movement has no speed at all).
double loadSpeed(std::int32_t magnitude, std::uint32_t durationMs) {
    if (durationMs == 0) {
        if (magnitude == 0) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return magnitude > 0 ? std::numeric_limits<double>::infinity()
                             : -std::numeric_limits<double>::infinity();
    }
    return static_cast<double>(magnitude) / static_cast<double>(durationMs);
}

int speedClassOf(double speed, double slowBelow, double mediumBelow) {
    if (speed < slowBelow) {
        return 3;
    }
    return speed < mediumBelow ? 2 : 1;
}

}  // namespace

PeakLoadSpeeds peakLoadSpeeds(const DeviceSetTable& table) {
    PeakLoadSpeeds peaks;
    // An entry with 0 repetitions ends the table: what follows is not sent.
    const int count = table.usedCount();
    for (int i = 0; i < count; ++i) {
        const DeviceSetRecord& entry = table.entries[static_cast<std::size_t>(i)];
        double& peak = entry.waveform == 0 ? peaks.ramp : peaks.other;
        for (const std::int32_t magnitude : entry.magnitude) {
            const double speed = loadSpeed(magnitude, entry.loadDurationMs);
            // A NaN never compares greater, so it leaves the peak alone.
            if (speed > peak) {
                peak = speed;
            }
        }
    }
    return peaks;
}

int speedClass(const DeviceSetTable& table) {
    const PeakLoadSpeeds peaks = peakLoadSpeeds(table);
    return std::min(speedClassOf(peaks.ramp, 1.0, 2.0), speedClassOf(peaks.other, 0.6, 1.2));
}

}  // namespace kyrvana
