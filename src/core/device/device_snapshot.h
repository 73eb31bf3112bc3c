#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/device/device_vocabulary.h"

namespace kyrvana {

// What the device told about itself when it connected, as one copy for a
// thread that does not hold the link (the window, which labels its fields by
// the model and draws forces against the load cells' full scale). The link's
// own fields belong to whichever thread holds the link and change on every
// replug; this copy is replaced whole whenever they change.
struct DeviceSnapshot {
    std::string portName;
    std::vector<std::string> revisions;
    std::uint8_t hardwareType = 0;  // see HardwareModel
    int hardwareRevision = 0;
    int firmwareRevision = 0;                       // revision times 1000
    std::array<float, kWellCount> fullScaleLoad{};  // newtons
    std::array<double, kWellCount> loadCellGain{};
    std::array<double, kWellCount> umPerUstep{};  // 0 until the device told
};

}  // namespace kyrvana
