#pragma once

// Moving the wells' actuators and reading where they stand and what force
// their load cells feel. Each operation holds the device link for its whole
// duration (a move and its wait, a reading and its ten samples), so another
// thread's exchange waits instead of slipping in between.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/common/stop_signal.h"
#include "core/device/device_link.h"

namespace kyrvana {

struct WellReading {
    double positionMm = 0.0;
    double forceN = 0.0;
};

using WellReadings = std::array<WellReading, kWellCount>;

// Each operation makes all of its exchanges, as the dialogs always have, and
// its result is the first that failed.

// Reads each well's load cell zero (internal value 70 + well) into
// link.loadCellZero; a well whose query fails gets 0.
DeviceResult readLoadCellZeros(DeviceLink& link);

// Reads one well's position and averaged force. A failed position query
// leaves the position as it was.
DeviceResult refreshWell(DeviceLink& link, int well, WellReading& reading);
DeviceResult refreshAllWells(DeviceLink& link, WellReadings& readings);

// Moves every well by its amount in mm (a positive amount extends a P7 and
// retracts a Q3), each from where it stands now, waits until the motors
// stop, and reads all wells again. A well whose position cannot be read is
// not moved: a target computed from an unknown position could drive it
// anywhere.
DeviceResult moveWellsBy(DeviceLink& link, const std::array<double, kWellCount>& amountsMm,
                         WellReadings& readings);

// How a move is watched while the wells travel.
struct MoveWatch {
    // How often the positions are read while a motor moves: often enough to
    // see the wells go, seldom enough to leave the device time to drive them.
    std::chrono::milliseconds pollInterval{250};
    // Requested from another thread to halt every well; seen between polls.
    std::shared_ptr<StopSignal> stop;
    // Receives the wells after each poll (new positions, forces as they
    // were), on the thread that moves them.
    std::function<void(const WellReadings&)> positions;
};

// Moves every well as moveWellsBy does, but while the motors run it reads
// every well's position each pollInterval instead of only asking whether
// they stand, and hands them to watch.positions. A stop requested meanwhile
// halts every well: each gets the jog stop (the command that ends a jog,
// sent for all six before waiting, so that none runs on while another
// decelerates), then the wait until the motors stand. The wells are read
// again at the end either way. A halted move whose exchanges all worked
// gives Cancelled; the first poll that fails ends the watching (as a failed
// motor-state query ends the wait).
DeviceResult moveWellsWatched(DeviceLink& link, const std::array<double, kWellCount>& amountsMm,
                              WellReadings& readings, const MoveWatch& watch);

// The jog stop to every well, then the wait until the motors stand.
DeviceResult haltAllWells(DeviceLink& link);

// The load cell calibration's move of one well by 2 mm in the same sense,
// without waiting for the motor. Fails when the position could not be read
// (nothing is moved) or the move was not taken.
DeviceResult moveWellForCalibration(DeviceLink& link, int well);

// A held jog button: the well starts moving in `direction` (0 or 1) at the
// jog speed. The stop always carries direction 1, as the firmware expects;
// it waits until the motors stand and reads the well again.
DeviceResult startJog(DeviceLink& link, int well, std::uint8_t direction);
DeviceResult stopJog(DeviceLink& link, int well, WellReading& reading);

}  // namespace kyrvana
