#pragma once

// Decimal texts read digit by digit, without passing through binary floating
// point on the way. A duration typed as "1.001" seconds means 1001 ms, but
// the double nearest 1.001 times 1000 is 1000.9999999999999, and rounding
// that down to whole milliseconds loses the one the user typed. Multiplying
// the digits themselves keeps every value that has an exact decimal form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kyrvana {

struct DecimalText {
    bool negative = false;
    // The significant digits, without leading or trailing zeros; empty for 0.
    std::string digits;
    // The value is digits x 10^exponent.
    long long exponent = 0;
};

// The plain decimal number that leads `text`, with the reach of atof in the
// "C" locale: leading blanks, a sign, digits with an optional point, an
// optional exponent ("2.5e-3"); whatever follows is ignored. nullopt when the
// text does not lead with such a number: no number at all, or a form that is
// not plain decimal ("0x1p3", "inf", "nan"), which the C library then reads.
std::optional<DecimalText> leadingDecimal(std::string_view text);

// The value times `multiplier`, rounded down (toward minus infinity) to a
// whole number; beyond the range of 64 bits, its limit.
std::int64_t floorTimes(const DecimalText& value, std::uint32_t multiplier);

// The value times `multiplier` as the nearest double (one rounding only; an
// exact whole number stays exact).
double timesAsDouble(const DecimalText& value, std::uint32_t multiplier);

// The exact decimal form of a double's shortest text: the digits a user typed
// to get it, when the double came from a typed text of up to 15 digits.
DecimalText decimalOf(double value);

}  // namespace kyrvana
