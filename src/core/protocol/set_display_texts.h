#pragma once

// How a set is described to the user in the sequence list. Each function of a
// set index gives "Unknown" for an index outside the sequence.

#include <cstdint>
#include <string>

#include "core/protocol/enumerations.h"
#include "core/protocol/protocol.h"

namespace kyrvana {

// A duration in the set's display unit with the unit's letter: 1500 ms in
// seconds is "1.50 (S)", 250 ms in milliseconds "250 (mS)"; an unknown unit
// shows the milliseconds with "InvalidMode".
std::string durationText(std::int32_t milliseconds, TimeUnits units);

// Waveform and unit, e.g. "Ramp (um)".
std::string magnitudeDescription(const Protocol& protocol, int index);

// The load and recovery phases show "None" when they take no time.
std::string loadDurationText(const Protocol& protocol, int index);
std::string recoveryDurationText(const Protocol& protocol, int index);
// Hold and rest always show their duration, 0 included.
std::string holdDurationText(const Protocol& protocol, int index);
std::string restDurationText(const Protocol& protocol, int index);

// "None" without preload, otherwise the X preload force and when it applies,
// e.g. "50.0 (Every)".
std::string preloadText(const Protocol& protocol, int index);

}  // namespace kyrvana
