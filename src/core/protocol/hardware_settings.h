#pragma once

// The three values that the document keeps beside its sequence and that a
// protocol file carries in its hardware block.

#include <cstdint>

namespace kyrvana {

struct HardwareSettings {
    // Firmware revision of the connected device as last known.
    std::int32_t FirmwareVersion = 0;
    // How many times the whole sequence runs; the device needs at least one.
    std::int32_t RepeatTestSequence = 1;
    // Force-control maximum velocity code.
    std::uint32_t ForceVelocityCode = 7;

    friend bool operator==(const HardwareSettings&, const HardwareSettings&) = default;
};

}  // namespace kyrvana
