#pragma once

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

namespace kyrvana::eeprom {

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

// The characters a text item at `address` holds when `next` is the address
// of what is stored after it.
constexpr int itemCapacity(int address, int next) {
    return next - address - kItemLengthBytes;
}

inline constexpr int kTestNameCapacity = itemCapacity(kTestName, kHomingDisabledWord);
static_assert(kTestNameCapacity == 234);

}  // namespace kyrvana::eeprom
