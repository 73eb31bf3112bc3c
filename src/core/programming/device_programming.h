#pragma once

// Program Device and Read Device: writing the document's test sequence, test
// name, control settings, homing choice and disabled-wells mask into the
// stimulator, and reading a programmed sequence back into the document. Both
// run on the document's request thread (or directly, in the command-line
// tool); they reach the user and the sequence view only through the
// document's host, and hold the device link for their whole run so that no
// other exchange can come between their commands.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/device_vocabulary.h"
#include "core/hardware/well_settings.h"
#include "core/programming/device_set_table.h"
#include "core/programming/programming_report.h"
#include "core/protocol/hardware_settings.h"

namespace kyrvana {

class CKyrvanaDoc;
class DeviceLink;

// Control setting 3 of well 0: the force-control maximum velocity code.
inline constexpr unsigned kVelocityCodeSetting = 3;

inline constexpr const char* kProgrammingSuccessMessage = "\nProgramming Device... Success\n";
inline constexpr const char* kReadingSuccessMessage = "\nReading Device... Success\n";

// Stores `text` as the counted EEPROM item at `address` (length, then chunks
// of 200 characters). Every chunk is sent; the result is the first failure.
DeviceResult writeEepromText(DeviceLink& link, int address, std::string_view text);

// Stores the sequence text of `table` and tells the device to rebuild its
// test description from it, even when storing failed (the device then
// rebuilds from what it holds). The result is the first failure.
DeviceResult writeSequenceText(DeviceLink& link, const DeviceSetTable& table,
                               std::int32_t repeatCount);

// The counted EEPROM item at `address`, split at line feeds; no lines when
// it cannot be read or its stored length is over eeprom::kItemLengthLimit.
DeviceResult readEepromText(DeviceLink& link, int address, std::vector<std::string>& lines);

// Reads the stored sequence text into `table` and its repeat count into
// `hardware`. Unusable, with nothing changed, when the stored text has fewer
// than three lines.
DeviceResult readSequenceText(DeviceLink& link, DeviceSetTable& table, HardwareSettings& hardware);

// What the device holds of a programmed sequence, as Read Device reads it.
struct ProgrammedState {
    DeviceSetTable table;  // cleared when the sequence text could not be read
    // The repeat count and the force-control velocity code; they keep the
    // values given when they cannot be read.
    HardwareSettings hardware;
    DisabledWells disabledWells;  // all wells in use when the mask cannot be read
    // Nothing is known when the device's word could not be read.
    std::optional<bool> homingDisabled;
};

// Reads `state` from the device with Read Device's exchanges, in its order:
// the sequence text, the velocity code (only when the text was read), the
// disabled-wells mask and the homing word. Every step is taken whatever the
// one before it gave; the report says what failed.
ProgrammingReport readProgrammedState(DeviceLink& link, ProgrammedState& state);

// How Read Device and Verify Device begin: nothing happens without an open
// port; otherwise the message pane is cleared, and without a connected
// device the not-connected box is shown. Success when the command may go on,
// else why not (no port). The caller holds the link.
DeviceResult beginReadingCommand(CKyrvanaDoc& document);

// The document commands themselves. Both show the window's usual texts and
// return what really happened; both stop at the first command the device
// does not answer. Program Device also stops between two items once `stop`
// is set (by a signal handler, say).
[[nodiscard]] ProgrammingReport ProgramDevice(CKyrvanaDoc& document,
                                              const std::atomic<bool>* stop = nullptr);
[[nodiscard]] ProgrammingReport ReadDevice(CKyrvanaDoc& document);

// Makes the document's request thread run these for Program Device and Read
// Device, and VerifyDevice (verify_device.h) for Verify Device.
void installDeviceProgramming(CKyrvanaDoc& document);

}  // namespace kyrvana
