#pragma once

// Converting between the device's motor microsteps and the millimetres the
// user sees, and the load cell's raw counts and newtons.
//
// The two models move the other way for a positive relative amount: the
// Kyrvana P7 (hardware types 0 and 1) extends its actuators, which the device
// counts as fewer microsteps; the Kyrvana Q3 (type 2) retracts them. The
// position shown is minus the microsteps, so a P7 move by +1 mm lowers the
// shown position by 1 mm and a Q3 move raises it.

#include <cstdint>

#include "core/device/device_vocabulary.h"

namespace kyrvana {

// The model whose actuators retract for a positive amount.
inline constexpr std::uint8_t kRetractingHardwareType = kHardwareTypeQ3;

// The distance of the load cell calibration's "Move To Position", in mm.
inline constexpr double kCalibrationMoveMm = 2.0;

// -steps × umPerUstep in millimetres, rounded half away from zero to 0.001 mm.
double positionMm(int steps, double umPerUstep);

// (raw - zero) × gain.
double forceNewtons(double raw, std::uint16_t zero, double gain);

// +1.0 for the retracting model, -1.0 otherwise.
double moveSign(std::uint8_t hardwareType);

// current + amountMm × s × (-1) × 1000 / umPerUstep, cut toward zero to whole
// microsteps (beyond the int range: its limit). An amount of 0, or a pitch
// that gives no finite distance (0 when the device never told it), keeps the
// current position.
int relativeMoveTarget(int current, double amountMm, double umPerUstep, std::uint8_t hardwareType);

}  // namespace kyrvana
