#pragma once

// Numbers in the set editor's fields: how a field's text becomes a number,
// how a duration in the chosen time unit becomes milliseconds, and the texts
// a set's values are shown with so that reading them back gives the same
// values (pressing OK on a set that was not changed must not change it).

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
double millisecondsPerTimeUnit(std::string_view word);

// A duration field in `word` as milliseconds, before any rounding.
double fieldMilliseconds(std::string_view text, std::string_view word);
// The whole milliseconds that are saved: rounded down, kept within 32 bits.
std::int32_t savedMilliseconds(double milliseconds);

// The shortest plain decimal text (no exponent) that reads back as `value`.
std::string shortestNumberText(double value);

// The shortest plain decimal text of `milliseconds` in `word` whose saved
// milliseconds are `milliseconds` again: 1500 ms in seconds is "1.5", 1001 ms
// in seconds needs "1.0010000000000001" because 1.001 x 1000 falls just
// below 1001 in binary arithmetic.
std::string durationFieldText(std::int32_t milliseconds, std::string_view word);

}  // namespace kyrvana
