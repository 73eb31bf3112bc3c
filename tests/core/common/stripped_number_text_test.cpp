#include "core/common/stripped_number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kyrvana {
namespace {

struct StrippedCase {
    double value;
    const char* expected;
};

class StrippedNumberTextTest : public testing::TestWithParam<StrippedCase> {};

TEST_P(StrippedNumberTextTest, PrintsWithoutTrailingZerosOrPoint) {
    EXPECT_EQ(strippedNumberText(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, StrippedNumberTextTest,
    testing::Values(StrippedCase{13.0, "13"}, StrippedCase{200.5, "200.5"}, StrippedCase{0.0, "0"},
                    // Zeros inside the integer part stay.
                    StrippedCase{100.0, "100"}, StrippedCase{1000.25, "1000.25"},
                    StrippedCase{-2.5, "-2.5"}, StrippedCase{0.125, "0.125"},
                    // "%f" rounds to six places before the zeros go.
                    StrippedCase{0.1234567, "0.123457"}, StrippedCase{2.0000001, "2"},
                    StrippedCase{0.0000004, "0"}, StrippedCase{-0.0000004, "-0"},
                    StrippedCase{std::numeric_limits<double>::infinity(), "inf"}));

}  // namespace
}  // namespace kyrvana
