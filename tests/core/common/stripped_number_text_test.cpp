#include "core/common/stripped_number_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace kyrvana {
namespace {

// "%f" rounds to six places before the zeros go; zeros inside the integer
// part stay.
TEST(StrippedNumberTextTest, PrintsWithoutTrailingZerosOrPoint) {
    using Case = std::pair<double, const char*>;
    for (const auto& [value, text] :
         {Case{13.0, "13"}, Case{200.5, "200.5"}, Case{100.0, "100"}, Case{0.1234567, "0.123457"},
          Case{2.0000001, "2"}, Case{-0.0000004, "-0"},
          Case{std::numeric_limits<double>::infinity(), "inf"}}) {
        EXPECT_EQ(strippedNumberText(value), text) << value;
    }
}

}  // namespace
}  // namespace kyrvana
