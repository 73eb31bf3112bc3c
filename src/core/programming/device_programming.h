#pragma once

// Program Device and Read Device: writing the document's test sequence, test
// name, control settings, homing choice and disabled-wells mask into the
// stimulator, and reading a programmed sequence back into the document. Both
// run on the document's request thread (or directly, in the command-line
// tool); they reach the user and the sequence view only through the
// document's host, and hold the device link for their whole run so that no
// other exchange can come between their commands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/programming/device_set_table.h"
#include "core/protocol/hardware_settings.h"

namespace kyrvana {

class CKyrvanaDoc;
class DeviceLink;

// EEPROM items of the sequence text and of the test name.
inline constexpr int kSequenceTextAddress = 1792;
inline constexpr int kTestNameAddress = 4112;
// Internal values: homing disabled (1) or not (0), and the disabled-wells mask.
inline constexpr unsigned kHomingDisabledValue = 48;
inline constexpr unsigned kDisabledWellsValue = 49;
// Control setting 3 of well 0: the force-control maximum velocity code.
inline constexpr unsigned kVelocityCodeSetting = 3;

inline constexpr const char* kProgrammingSuccessMessage = "\nProgramming Device... Success\n";
inline constexpr const char* kReadingSuccessMessage = "\nReading Device... Success\n";

// Stores `text` as the counted EEPROM item at `address` (length, then chunks
// of 200 characters). Always 1: failures are the transport's to report.
int writeEepromText(DeviceLink& link, int address, std::string_view text);

// Stores the sequence text of `table` and tells the device to rebuild its
// test description from it. Always 1.
int writeSequenceText(DeviceLink& link, const DeviceSetTable& table, std::int32_t repeatCount);

// The counted EEPROM item at `address`, split at line feeds. 1, or 0 when the
// stored length is over 4096 (no lines).
int readEepromText(DeviceLink& link, int address, std::vector<std::string>& lines);

// Reads the stored sequence text into `table`, and the repeat count and the
// force-control velocity code into `hardware`. -1, with nothing changed,
// when the stored text has fewer than three lines; else 1.
int readSequenceText(DeviceLink& link, DeviceSetTable& table, HardwareSettings& hardware);

// The document commands themselves.
void ProgramDevice(CKyrvanaDoc& document);
void ReadDevice(CKyrvanaDoc& document);

// Makes the document's request thread run these for Program Device and Read
// Device.
void installDeviceProgramming(CKyrvanaDoc& document);

}  // namespace kyrvana
