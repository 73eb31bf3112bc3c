#pragma once

// Instruction codes: the identity of one set field as a column of a protocol
// file. The numbers are fixed by the file format's history and are not in
// field order (the preload types of wells A to C, 21 to 23, sit between the Z
// fields and have no keyword).

#include <cstdint>

namespace kyrvana {

enum class Instruction : std::int32_t {
    Unknown = -1,
    Name = 0,
    XMode = 1,
    XFunction = 2,
    XUnits = 3,
    XMagnitude = 4,
    XPreloadType = 5,
    XPreloadMag = 6,
    YMode = 7,
    YFunction = 8,
    YUnits = 9,
    YMagnitude = 10,
    YPreloadType = 11,
    YPreloadMag = 12,
    ZMode = 13,
    ZFunction = 14,
    ZUnits = 15,
    ZMagnitude = 16,
    AMagnitude = 17,
    BMagnitude = 18,
    CMagnitude = 19,
    ZPreloadType = 20,
    APreloadType = 21,
    BPreloadType = 22,
    CPreloadType = 23,
    ZPreloadMag = 24,
    APreloadMag = 25,
    BPreloadMag = 26,
    CPreloadMag = 27,
    StretchDurationSec = 28,
    RecoveryDurationSec = 29,
    HoldTimeSec = 30,
    RestTimeSec = 31,
    StretchDurationMSec = 32,
    RecoveryDurationMSec = 33,
    HoldTimeMSec = 34,
    RestTimeMSec = 35,
    NumReps = 36,
    DataFreqHz = 37,
    DataType = 38,
    ImageFreqHz = 39,
    Tolerance = 40,
    TolCorOver = 41,
    TimeUnits = 42,
    AutoAdjust = 43,
    DataFreqMS = 44,
    LoadSpeed = 45,
    UnloadSpeed = 46,
    LoadAccel = 47,
    UnloadAccel = 48,
};

}  // namespace kyrvana
