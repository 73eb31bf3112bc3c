#pragma once

// The texts of the main window's sequence list, with its total time and used
// memory. The window and kyrvana-cli show the same texts from here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/protocol.h"

namespace kyrvana {

enum class SequenceListColumn {
    Name,
    Magnitude,
    Well1,
    Well2,
    Well3,
    Well4,
    Well5,
    Well6,
    LoadDuration,
    HoldDuration,
    RecoverDuration,
    RestDuration,
    Preload,
    Reps,
    DataFrequency,
};
inline constexpr std::size_t kSequenceListColumnCount = 15;

struct SequenceListColumnLayout {
    std::string_view title;
    // In 1/96 inch; the list scales it by the screen's pixels per inch / 96.
    int width;
};
const std::array<SequenceListColumnLayout, kSequenceListColumnCount>& sequenceListColumns();

// Wells switched off on the device; their magnitudes show as "  -".
using WellDisabledChecks = std::array<bool, kWellCount>;

// The text of one cell; "Unknown" for a set index outside the sequence.
std::string sequenceListCellText(const Protocol& protocol, int setIndex, SequenceListColumn column,
                                 const WellDisabledChecks& disabledWells = {});
// Texts as wide as the widest a column shows for sets within the limits of
// the hardware and the set editor, to size the list's columns by: every
// waveform with every unit, a six-digit force (a load cell's full scale in
// millinewtons) and the longest travel, phases of up to a day in each time
// unit, a six-digit preload and repetition count, every data rate, and a
// name of the 15 characters the editor takes.
std::vector<std::string> sequenceListWidestTexts(SequenceListColumn column);

// All cells of one row, in column order.
std::vector<std::string> sequenceListRowTexts(const Protocol& protocol, int setIndex,
                                              const WellDisabledChecks& disabledWells = {});

// The whole seconds of one pass, rounded down, times the repeat count; kept
// within 32 bits.
std::int32_t shownTotalSeconds(double onePassSeconds, std::int32_t repeatCount);
// Hours:minutes:seconds, each part at least two digits, hours unbounded;
// a negative total shows as "00:00:00".
std::string totalTimeText(std::int32_t totalSeconds);

// The share of the device's set memory a sequence fills (ten sets fill it),
// and its one-decimal text.
double usedMemoryPercent(std::size_t setCount);
std::string usedMemoryText(double percent);

}  // namespace kyrvana
