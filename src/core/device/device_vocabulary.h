#pragma once

// What the program and the stimulator's firmware agree on beyond the command
// texts: where the firmware keeps its items in EEPROM, what its numbered
// internal values mean, the test states it reports and the two hardware
// models it comes as. The program, the simulated stimulator and the tests all
// take these facts from here.

#include <cstdint>

namespace kyrvana {

// One actuator and load cell a well; the device has six wells, addressed 0 to
// 5 (X, Y, Z, A, B, C).
inline constexpr int kWellCount = 6;

// Where the stimulator keeps what the program writes into its 8 KiB EEPROM
// (addresses in bytes, as the EEPROM commands take them). A text item is
// counted: a 16-bit length at its address and the characters after it. The
// items and words sit back to back, so an item's text may only be as long as
// the room before the next thing stored: the firmware checks nothing and a
// longer text overwrites whatever follows.
//
//   1792  sequence text                  4112  test name
//   3840  load-cell calibration text     4348  homing disabled (32-bit word)
//   4096  test number                    4352  disabled-wells mask (32-bit word)
//                                        7168  control settings
namespace eeprom {

inline constexpr int kSize = 8192;

inline constexpr int kSequenceText = 1792;
inline constexpr int kCalibration = 3840;
inline constexpr int kTestNumber = 4096;
inline constexpr int kTestName = 4112;
inline constexpr int kHomingDisabledWord = 4348;
inline constexpr int kDisabledWellsWord = 4352;
inline constexpr int kControlSettings = 7168;

// The 16-bit length in front of every text item.
inline constexpr int kItemLengthBytes = 2;
// A stored length above this is no text item: erased or never written
// EEPROM reads as 0xFFFF.
inline constexpr int kItemLengthLimit = 4096;

// The characters a text item at `address` holds when `next` is the address
// of what is stored after it.
constexpr int itemCapacity(int address, int next) {
    return next - address - kItemLengthBytes;
}

inline constexpr int kTestNameCapacity = itemCapacity(kTestName, kHomingDisabledWord);
static_assert(kTestNameCapacity == 234);

// The firmware reads back at most this many bytes an EEPROM read command
// (sent as hexadecimal digits, two a byte), and takes a text at most this
// many characters a write command: a longer item goes in several.
inline constexpr int kReadChunk = 256;
inline constexpr int kWriteChunk = 200;

}  // namespace eeprom

// The firmware hands an SD card file out in pieces of this many bytes, the
// last one shorter.
inline constexpr int kSdFilePiece = 1024;

// The firmware's numbered variables, as QueryInternalValue reads them and the
// packed `w` command sets them.
namespace internal_value {

inline constexpr int kTestState = 1;      // see test_state below
inline constexpr int kConfiguration = 4;  // kept as DeviceLink::internalValue4
inline constexpr int kAcceleration = 5;   // the actuators' acceleration, for the set limits
inline constexpr int kHardwareType = 6;   // see HardwareModel below
// 10 + well: the well's latest raw load-cell sample.
inline constexpr int kFirstLoadCellSample = 10;
// Backed by the EEPROM words kHomingDisabledWord and kDisabledWellsWord.
inline constexpr int kHomingDisabled = 48;  // 1: the actuators are not homed
inline constexpr int kDisabledWells = 49;   // bit n-1 set: well n stays still
// 70 + well: the well's raw load-cell reading at zero force.
inline constexpr int kFirstLoadCellZero = 70;

}  // namespace internal_value

// What internal value kTestState says. A running test moves the actuators and
// writes its data file by itself; a paused one holds them where they stand
// and goes on later.
namespace test_state {

inline constexpr int kRunning = 3;
inline constexpr int kPaused = 4;

}  // namespace test_state

// The two stimulators the firmware runs on, told apart by internal value
// kHardwareType: 0 or 1 the compressing Kyrvana P7, 2 the stretching
// Kyrvana Q3, whose actuators retract to load a well.
enum class HardwareModel : std::uint8_t { KyrvanaP7, KyrvanaQ3 };

inline constexpr int kHardwareTypeP7 = 0;
inline constexpr int kHardwareTypeQ3 = 2;

constexpr HardwareModel hardwareModel(int hardwareType) {
    return hardwareType == kHardwareTypeQ3 ? HardwareModel::KyrvanaQ3 : HardwareModel::KyrvanaP7;
}

constexpr const char* modelName(HardwareModel model) {
    return model == HardwareModel::KyrvanaQ3 ? "Kyrvana Q3" : "Kyrvana P7";
}

constexpr bool stretches(int hardwareType) {
    return hardwareModel(hardwareType) == HardwareModel::KyrvanaQ3;
}

}  // namespace kyrvana
