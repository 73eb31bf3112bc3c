#pragma once

// The per-well control settings that programming stores in the stimulator:
// seven numbered settings per well. Indices 0, 2, 4 and 5 always get the
// values the firmware expects (1, 4, 100, 10); index 1 is the well's load
// limit in the firmware's units (three times the load cell's full scale),
// index 3 the force-control maximum velocity code and index 6 the speed class
// of the sequence.

#include <array>
#include <cstdint>

#include "core/device/device_result.h"
#include "core/programming/device_set_table.h"

namespace kyrvana {

class DeviceLink;

inline constexpr unsigned kControlSettingsPerWell = 7;

std::array<unsigned, kControlSettingsPerWell> controlSettingValues(float fullScaleLoad,
                                                                   std::uint32_t velocityCode,
                                                                   int speedClass);

// Sends the 42 settings, well by well and within a well in index order. A
// failed exchange does not stop the others; the result is the first failure.
DeviceResult writeControlSettings(DeviceLink& link, const DeviceSetTable& table,
                                  std::uint32_t velocityCode);

}  // namespace kyrvana
