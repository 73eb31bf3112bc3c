#pragma once

// The sequence text: how the stimulator stores a test sequence in its EEPROM.
// A "RepeatAll,<count>" line, a header line, then one comma-separated line of
// 23 fields per set, every line ended by a line feed. The header names 22
// columns: its "TimeUnits" column carries the control mode code and the
// time-unit word follows as a 23rd column without a name, which is how the
// firmware reads it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/programming/device_set_table.h"

namespace kyrvana {

inline constexpr std::string_view kSequenceTextHeader =
    "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
    "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
    "TimeUnits\n";

// The text for the entries up to the first one with 0 repetitions.
std::string buildSequenceText(const DeviceSetTable& table, std::int32_t repeatCount);

// The set name that a name field of the text gives back: cut to what the
// device keeps, with every "|" read as a blank.
std::string setNameAsRead(std::string_view field);

// One set line into entry `index` (0 to 9; other indices are ignored). Fields
// are split at commas; numbers are read as decimal integers that stop at the
// first character that is not part of one; a missing or empty field gives 0
// or an empty text. A "|" in the name stands for a blank.
void parseSequenceLine(int index, std::string_view line, DeviceSetTable& table);

// The stored text's lines into the table: the repeat count from the first
// line (at least 1), the header skipped, set lines into entries 0 to 9 and
// any further lines ignored. False, with nothing changed, when there are
// fewer than three lines.
bool parseSequenceLines(const std::vector<std::string>& lines, DeviceSetTable& table,
                        std::int32_t& repeatCount);

}  // namespace kyrvana
