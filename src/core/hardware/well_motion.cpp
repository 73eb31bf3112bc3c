#include "core/hardware/well_motion.h"

#include <thread>

#include "core/device/command_texts.h"
#include "core/device/exchange_tally.h"
#include "core/hardware/actuator_arithmetic.h"

namespace kyrvana {
namespace {

constexpr std::uint8_t kJogStopDirection = 1;
constexpr int kJogStopSpeed = 0;

std::size_t at(int well) {
    return static_cast<std::size_t>(well);
}

// Every readable well gets its absolute move, also with an amount of 0. A
// well whose position cannot be read is not moved.
void sendMoves(DeviceLink& link, const std::array<double, kWellCount>& amountsMm) {
    for (int well = 0; well < kWellCount; ++well) {
        int current = 0;
        if (!link.QueryMotorPos(well, current)) {
            continue;
        }
        (void)link.Positioning(well, DeviceLink::kPositioningAbsolute,
                               relativeMoveTarget(current, amountsMm[at(well)],
                                                  link.umPerUstep[at(well)], link.hardwareType));
    }
}

// One poll of a running move: false when the motors stand or a query
// failed, else true with every well's position read.
bool pollMovingWells(DeviceLink& link, WellReadings& readings) {
    int state = 0;
    if (!link.GetMotorsState(state) || state == 0) {
        return false;
    }
    for (int well = 0; well < kWellCount; ++well) {
        int steps = 0;
        if (!link.QueryMotorPos(well, steps)) {
            return false;
        }
        readings[at(well)].positionMm = positionMm(steps, link.umPerUstep[at(well)]);
    }
    return true;
}

}  // namespace

DeviceResult readLoadCellZeros(DeviceLink& link) {
    ExchangeTally tally;
    const auto recording = link.Record(tally);
    for (int well = 0; well < kWellCount; ++well) {
        int value = 0;
        if (!link.QueryInternalValue(internal_value::kFirstLoadCellZero + well, value)) {
            value = 0;
        }
        // The zero is a reading of the 16-bit converter.
        link.loadCellZero[at(well)] = static_cast<std::uint16_t>(value);
    }
    return tally.first();
}

DeviceResult refreshWell(DeviceLink& link, int well, WellReading& reading) {
    const auto hold = link.Hold();
    int steps = 0;
    DeviceResult position = link.QueryMotorPos(well, steps);
    if (position) {
        reading.positionMm = positionMm(steps, link.umPerUstep[at(well)]);
    }
    double raw = 0.0;
    position.keepFirstFailure(link.AverageInternalValue(well, raw));
    reading.forceN = forceNewtons(raw, link.loadCellZero[at(well)], link.loadCellGain[at(well)]);
    return position;
}

DeviceResult refreshAllWells(DeviceLink& link, WellReadings& readings) {
    ExchangeTally tally;
    const auto recording = link.Record(tally);
    for (int well = 0; well < kWellCount; ++well) {
        (void)refreshWell(link, well, readings[at(well)]);
    }
    return tally.first();
}

DeviceResult moveWellsBy(DeviceLink& link, const std::array<double, kWellCount>& amountsMm,
                         WellReadings& readings) {
    ExchangeTally tally;
    const auto recording = link.Record(tally);
    sendMoves(link, amountsMm);
    (void)link.WaitMotorsIdle();
    (void)refreshAllWells(link, readings);
    return tally.first();
}

DeviceResult moveWellsWatched(DeviceLink& link, const std::array<double, kWellCount>& amountsMm,
                              WellReadings& readings, const MoveWatch& watch) {
    ExchangeTally tally;
    const auto recording = link.Record(tally);
    sendMoves(link, amountsMm);
    bool halted = false;
    while (pollMovingWells(link, readings)) {
        if (watch.positions) {
            watch.positions(readings);
        }
        if (watch.stop != nullptr && watch.stop->waitFor(watch.pollInterval)) {
            (void)haltAllWells(link);
            halted = true;
            break;
        }
        if (watch.stop == nullptr) {
            std::this_thread::sleep_for(watch.pollInterval);
        }
    }
    (void)refreshAllWells(link, readings);
    DeviceResult result = tally.first();
    if (result && halted) {
        return DeviceResult::failure(DeviceFailure::Cancelled, {});
    }
    return result;
}

DeviceResult haltAllWells(DeviceLink& link) {
    const auto hold = link.Hold();
    DeviceResult result;
    for (int well = 0; well < kWellCount; ++well) {
        // The answer is read and not looked at, as after every jog command.
        result.keepFirstFailure(
            link.SendCommand(command::PackedJog(well, kJogStopDirection, kJogStopSpeed)));
    }
    return result.keepFirstFailure(link.WaitMotorsIdle());
}

DeviceResult moveWellForCalibration(DeviceLink& link, int well) {
    const auto hold = link.Hold();
    int current = 0;
    if (DeviceResult position = link.QueryMotorPos(well, current); !position) {
        return position;
    }
    return link.Positioning(well, DeviceLink::kPositioningAbsolute,
                            relativeMoveTarget(current, kCalibrationMoveMm,
                                               link.umPerUstep[at(well)], link.hardwareType));
}

DeviceResult startJog(DeviceLink& link, int well, std::uint8_t direction) {
    return link.JogMotor(well, direction, DeviceLink::kJogSpeed);
}

DeviceResult stopJog(DeviceLink& link, int well, WellReading& reading) {
    const auto hold = link.Hold();
    // JogMotor waits for the motors after a stop.
    DeviceResult result = link.JogMotor(well, kJogStopDirection, kJogStopSpeed);
    return result.keepFirstFailure(refreshWell(link, well, reading));
}

}  // namespace kyrvana
