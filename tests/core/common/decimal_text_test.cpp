// Decimal texts read digit by digit: what atof would see, and products
// rounded without a detour through binary floating point.

#include "core/common/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace kyrvana {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::lowest();

TEST(DecimalTextTest, ReadsTheLeadingNumberAsAtofWould) {
    const struct {
        const char* text;
        bool negative;
        const char* digits;
        long long exponent;
    } cases[] = {
        {"1.001", false, "1001", -3},
        {"  +0012.3400xyz", false, "1234", -2},
        {"-0.0005", true, "5", -4},
        {"1e3", false, "1", 3},
        {"2.5E-3s", false, "25", -4},
        {"7e", false, "7", 0},  // no exponent digits: the letter is not read
        {".5", false, "5", -1},
        {"5.", false, "5", 0},
        {"-0", true, "", 0},
        {"0x", false, "", 0},  // "0x" without a hexadecimal digit is 0
        {"1.2.3", false, "12", -1},
    };
    for (const auto& c : cases) {
        const std::optional<DecimalText> value = leadingDecimal(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(value->negative, c.negative) << c.text;
        EXPECT_EQ(value->digits, c.digits) << c.text;
        EXPECT_EQ(value->exponent, c.exponent) << c.text;
    }
    // Left to the C library: no number, or none in plain decimal.
    for (const char* text : {"", "abc", ".", "-", "0x1p3", "0x.8", "inf", "nan", "e5"}) {
        EXPECT_FALSE(leadingDecimal(text).has_value()) << text;
    }
}

TEST(DecimalTextTest, ProductsRoundDownExactly) {
    const struct {
        const char* text;
        std::uint32_t multiplier;
        std::int64_t floor;
        double nearest;
    } cases[] = {
        {"1.001", 1000, 1001, 1001.0},
        {"2.01", 60000, 120600, 120600.0},
        {"1.0005", 1000, 1000, 1000.5},
        {"-1.0005", 1000, -1001, -1000.5},
        {"-2", 1000, -2000, -2000.0},
        {"0.00001", 60000, 0, 0.6},
        {"-0.00001", 60000, -1, -0.6},
        {"1e-400", 1000, 0, 0.0},
        {"-1e-400", 1000, -1, -0.0},
        {"9223372036854775807", 1, kMax, 9223372036854775807.0},
        {"9223372036854775808", 1, kMax, 9223372036854775808.0},
        {"-9223372036854775808", 1, kMin, -9223372036854775808.0},
        {"-9223372036854775807.5", 1, kMin, -9223372036854775808.0},
        {"-9223372036854775808.5", 1, kMin, -9223372036854775808.0},
        {"1e400", 1000, kMax, HUGE_VAL},
        {"0", 86400000, 0, 0.0},
        {"5", 0, 0, 0.0},
    };
    for (const auto& c : cases) {
        const DecimalText value = leadingDecimal(c.text).value();
        EXPECT_EQ(floorTimes(value, c.multiplier), c.floor) << c.text << " x " << c.multiplier;
        EXPECT_EQ(timesAsDouble(value, c.multiplier), c.nearest) << c.text << " x " << c.multiplier;
    }
}

TEST(DecimalTextTest, ADoubleGivesTheDigitsItWasTypedWith) {
    for (const char* typed : {"1.001", "0.1", "4.35", "-2.675", "123456.789", "1e-7"}) {
        const DecimalText fromDouble = decimalOf(std::strtod(typed, nullptr));
        const DecimalText fromText = leadingDecimal(typed).value();
        EXPECT_EQ(fromDouble.digits, fromText.digits) << typed;
        EXPECT_EQ(fromDouble.exponent, fromText.exponent) << typed;
        EXPECT_EQ(fromDouble.negative, fromText.negative) << typed;
    }
}

}  // namespace
}  // namespace kyrvana
