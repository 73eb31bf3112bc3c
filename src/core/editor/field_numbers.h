#pragma once

// Numbers in the set editor's fields: how a field's text becomes a number,
// how a duration typed in the chosen time unit becomes whole milliseconds,
// and the texts a set's values are shown with, so that reading them back
// gives the same values (pressing OK on a set that was not changed must not
// change it).
//
// Durations are read from their digits, not through binary floating point:
// a text whose value is a whole number of milliseconds ("1.001" seconds,
// "2.01" minutes, "1.5" hours) is saved as exactly that many. Multiplying the
// double nearest 1.001 by 1000 gives 1000.9999999999999, and rounding that
// down would save 1000 ms for a typed 1001. A finer text ("1.0005" seconds)
// is rounded down, toward minus infinity, to the whole millisecond the device
// can hold: the phase never runs longer than typed, and a value that is
// already whole is never touched by the rounding.

#include <cstdint>
#include <string>
#include <string_view>

namespace kyrvana {

// The field's leading number, as the C library reads it; no number, or one
// that is not finite ("nan", "inf"), gives 0.
double fieldNumber(std::string_view text);

// Milliseconds per unit of a time-unit word ("Seconds" 1000, "Minutes" 60000,
// "Hours" 3600000, "Days" 86400000, "mSeconds" 1, "dSeconds" 100, compared
// without regard to case). A word the editor does not know counts as
// milliseconds (1): the editor shows the durations of such a set in
// milliseconds as well, so they read back unchanged.
std::uint32_t millisecondsPerTimeUnit(std::string_view word);

struct TypedDuration {
    // What is saved: rounded down to whole milliseconds, kept within 32 bits.
    std::int32_t milliseconds = 0;
    // What the limits are checked with: the typed value itself, within the
    // same range (a duration beyond what a set can hold counts as the
    // longest it can hold).
    double exactMilliseconds = 0.0;
};

// A duration field's text in the unit `word`. Texts that are not plain
// decimals ("0x10", "inf") are read as the C library reads them.
TypedDuration typedDuration(std::string_view text, std::string_view word);

// The shortest plain decimal text of `milliseconds` in `word` that reads back
// as `milliseconds`: 1500 ms in seconds is "1.5", 1001 ms is "1.001", 1 ms in
// minutes is "0.00002" (the shortest text whose value rounds down to it).
std::string durationFieldText(std::int32_t milliseconds, std::string_view word);

}  // namespace kyrvana
