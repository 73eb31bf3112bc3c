// Decimal texts read digit by digit: what atof would see, and products
// rounded without a detour through binary floating point.

#include "core/common/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace kyrvana {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::lowest();

std::tuple<bool, std::string, long long> fields(const DecimalText& value) {
    return {value.negative, value.digits, value.exponent};
}

// Products of the typed digits are also covered, unit by unit, by the set
// editor's duration fields.
TEST(DecimalTextTest, ReadsTheLeadingNumberAsAtofWould) {
    struct Case {
        const char* text;
        bool negative;
        std::string digits;
        long long exponent;
    };
    for (const Case& c :
         {Case{"  +0012.3400xyz", false, "1234", -2}, Case{"2.5E-3s", false, "25", -4},
          Case{"7e", false, "7", 0},  // no exponent digits: the letter is not read
          Case{".5", false, "5", -1}, Case{"5.", false, "5", 0}, Case{"-0", true, "", 0},
          Case{"0x", false, "", 0},  // "0x" without a hexadecimal digit is 0
          Case{"1.2.3", false, "12", -1}}) {
        const std::optional<DecimalText> value = leadingDecimal(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(fields(*value), std::tuple(c.negative, c.digits, c.exponent)) << c.text;
    }
    // Left to the C library: no number, or none in plain decimal.
    for (const char* text : {"", "abc", ".", "-", "0x1p3", "0x.8", "inf", "nan", "e5"}) {
        EXPECT_FALSE(leadingDecimal(text).has_value()) << text;
    }
}

TEST(DecimalTextTest, ProductsRoundDownExactly) {
    struct Case {
        const char* text;
        std::uint32_t multiplier;
        std::int64_t floor;
        double nearest;
    };
    for (const Case& c : {Case{"-1.0005", 1000, -1001, -1000.5}, Case{"-2", 1000, -2000, -2000.0},
                          Case{"-0.00001", 60000, -1, -0.6}, Case{"1e-400", 1000, 0, 0.0},
                          Case{"-1e-400", 1000, -1, -0.0},
                          Case{"9223372036854775807", 1, kMax, 9223372036854775807.0},
                          Case{"9223372036854775808", 1, kMax, 9223372036854775808.0},
                          Case{"-9223372036854775808", 1, kMin, -9223372036854775808.0},
                          Case{"-9223372036854775808.5", 1, kMin, -9223372036854775808.0},
                          Case{"1e400", 1000, kMax, HUGE_VAL}, Case{"5", 0, 0, 0.0}}) {
        const DecimalText value = leadingDecimal(c.text).value();
        EXPECT_EQ(floorTimes(value, c.multiplier), c.floor) << c.text << " x " << c.multiplier;
        EXPECT_EQ(timesAsDouble(value, c.multiplier), c.nearest) << c.text << " x " << c.multiplier;
    }
}

TEST(DecimalTextTest, ADoubleGivesTheDigitsItWasTypedWith) {
    for (const char* typed : {"1.001", "0.1", "4.35", "-2.675", "123456.789", "1e-7"}) {
        EXPECT_EQ(fields(decimalOf(std::strtod(typed, nullptr))),
                  fields(leadingDecimal(typed).value()))
            << typed;
    }
}

}  // namespace
}  // namespace kyrvana
