#pragma once

// The checks behind the set editor's OK button: the hardware's limits on
// phase durations, repetitions, magnitudes, actuator speed and the travel an
// actuator can make within a phase. Every failing check adds its message, in
// a fixed order; only a set that passes all of them is saved.

#include <string>
#include <vector>

#include "core/editor/set_editor_fields.h"
#include "core/protocol/set_record.h"

namespace kyrvana {

class DeviceLink;

// The limits of the hardware.
inline constexpr double kMinimumPhaseMs = 250.0;  // load and recovery, when used
inline constexpr int kMaximumStretchUm = 23000;   // stretching hardware (type 2)
inline constexpr int kMaximumCompressUm = 2000;   // every other hardware
inline constexpr double kMaximumRampSpeed = 4.0;  // mm/s
inline constexpr double kMaximumOtherSpeed = 2.4;
// Microsteps per second squared with which the actuators speed up and slow
// down; a phase reaches at most the travel of accelerating for half of it
// and braking for the other half.
inline constexpr double kActuatorAcceleration = 327680.0;
// The stimulator's lead screw: 1 mm per 6400 microsteps.
inline constexpr double kDefaultUmPerMicrostep = 0.15625;

struct SetLimitsHardware {
    int hardwareType = 0;
    float fullScaleLoad = 111.0f;  // well 1's load cell, in newtons
    // A connected device, asked for its micrometres per microstep while the
    // travel is checked; nullptr checks offline with umPerMicrostep.
    DeviceLink* link = nullptr;
    double umPerMicrostep = kDefaultUmPerMicrostep;
};

struct SetLimitsResult {
    // The messages of the failed checks, in order; empty when the set passed.
    std::vector<std::string> messages;
    // The set as saved when it passed; the original otherwise.
    SetRecord set;
    // The do-not boxes after the check: a phase of 0 ms or less checks its box.
    bool doNotDeform = false;
    bool doNotRecover = false;

    bool passed() const { return messages.empty(); }
    // All messages as the one text the editor shows.
    std::string text() const;
};

// The largest magnitude the hardware allows in the given mode: 23000 or 2000
// micrometres, or in force mode the load cell's full scale in millinewtons
// (computed in single precision, as the firmware does).
int maximumMagnitude(int modeIndex, int hardwareType, float fullScaleLoad);

// The travel, in micrometres, an actuator can make in a phase of
// `milliseconds`.
double reachableTravel(double milliseconds, double umPerMicrostep);

// Checks `fields` for the set `original` and returns the messages or the
// saved set. With a connected device the link is held for the check's
// exchanges.
SetLimitsResult checkSetLimits(const SetEditorFields& fields, const SetRecord& original,
                               const SetLimitsHardware& hardware);

}  // namespace kyrvana
