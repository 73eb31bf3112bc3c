#include "core/hardware/well_motion.h"

#include "core/hardware/actuator_arithmetic.h"

namespace kyrvana {
namespace {

constexpr int kLoadCellZeroValue = 70;
constexpr std::uint8_t kJogStopDirection = 1;
constexpr int kJogStopSpeed = 0;

std::size_t at(int well) {
    return static_cast<std::size_t>(well);
}

}  // namespace

void readLoadCellZeros(DeviceLink& link) {
    const auto hold = link.Hold();
    for (int well = 0; well < DeviceLink::kWellCount; ++well) {
        int value = 0;
        if (link.QueryInternalValue(kLoadCellZeroValue + well, value) != 0) {
            value = 0;
        }
        // The zero is a reading of the 16-bit converter.
        link.loadCellZero[at(well)] = static_cast<std::uint16_t>(value);
    }
}

void refreshWell(DeviceLink& link, int well, WellReading& reading) {
    const auto hold = link.Hold();
    int steps = 0;
    if (link.QueryMotorPos(well, steps) == 1) {
        reading.positionMm = positionMm(steps, link.umPerUstep[at(well)]);
    }
    const double raw = link.AverageInternalValue(well);
    reading.forceN = forceNewtons(raw, link.loadCellZero[at(well)], link.loadCellGain[at(well)]);
}

void refreshAllWells(DeviceLink& link, WellReadings& readings) {
    const auto hold = link.Hold();
    for (int well = 0; well < DeviceLink::kWellCount; ++well) {
        refreshWell(link, well, readings[at(well)]);
    }
}

void moveWellsBy(DeviceLink& link, const std::array<double, DeviceLink::kWellCount>& amountsMm,
                 WellReadings& readings) {
    const auto hold = link.Hold();
    for (int well = 0; well < DeviceLink::kWellCount; ++well) {
        int current = 0;
        if (link.QueryMotorPos(well, current) != 1) {
            continue;
        }
        // Every readable well gets its command, also with an amount of 0.
        link.Positioning(well, DeviceLink::kPositioningAbsolute,
                         relativeMoveTarget(current, amountsMm[at(well)], link.umPerUstep[at(well)],
                                            link.hardwareType));
    }
    link.WaitMotorsIdle();
    refreshAllWells(link, readings);
}

int moveWellForCalibration(DeviceLink& link, int well) {
    const auto hold = link.Hold();
    int current = 0;
    if (link.QueryMotorPos(well, current) != 1) {
        return 1;
    }
    return link.Positioning(well, DeviceLink::kPositioningAbsolute,
                            relativeMoveTarget(current, kCalibrationMoveMm,
                                               link.umPerUstep[at(well)], link.hardwareType));
}

int startJog(DeviceLink& link, int well, std::uint8_t direction) {
    return link.JogMotor(well, direction, DeviceLink::kJogSpeed);
}

int stopJog(DeviceLink& link, int well, WellReading& reading) {
    const auto hold = link.Hold();
    // JogMotor waits for the motors after a stop.
    const int result = link.JogMotor(well, kJogStopDirection, kJogStopSpeed);
    refreshWell(link, well, reading);
    return result;
}

}  // namespace kyrvana
