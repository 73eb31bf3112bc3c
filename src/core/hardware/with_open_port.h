#pragma once

#include "core/device/device_link.h"

namespace kyrvana {

// Runs `work` (returning a DeviceResult) with the link held when the
// device's port is open. With no device connected nothing is sent: the
// result is NoPort at once, instead of a failed write per command in the
// log. The port is only closed under the link's hold, so it stays open for
// the whole of `work`.
template <typename Work>
DeviceResult withOpenPort(DeviceLink& link, Work work) {
    const auto hold = link.Hold();
    if (!link.serial.isOpen()) {
        return DeviceResult::failure(DeviceFailure::NoPort, {});
    }
    return work();
}

}  // namespace kyrvana
