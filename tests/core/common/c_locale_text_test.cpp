#include "core/common/c_locale_text.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/common/stripped_number_text.h"

namespace kyrvana {
namespace {

TEST(CAtoiTest, TakesTheLeadingNumberLikeAtoi) {
    using Case = std::pair<const char*, int>;
    for (const auto& [text, expected] :
         {Case{"12abc", 12}, Case{"abc", 0}, Case{"  \t42\r", 42}, Case{"+5", 5}, Case{"- 5", 0},
          Case{"", 0}, Case{"99999999999999", std::numeric_limits<int>::max()},
          Case{"-99999999999999", std::numeric_limits<int>::lowest()},
          Case{"-2147483648", std::numeric_limits<int>::lowest()}}) {
        EXPECT_EQ(cAtoi(text), expected) << text;
    }
}

// Qt sets the process locale from the environment; a comma locale must not
// change how device and file numbers read or print.
class CommaLocaleTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
            if (setlocale(LC_ALL, name) != nullptr) {
                commaLocale_ = true;
                break;
            }
        }
    }
    void TearDown() override { setlocale(LC_ALL, "C"); }
    bool commaLocale_ = false;
};

TEST_F(CommaLocaleTest, NumbersConvertAsInTheCLocale) {
    EXPECT_DOUBLE_EQ(cAtof("4.60"), 4.6);
    EXPECT_DOUBLE_EQ(cAtof("REV"), 0.0);
    EXPECT_DOUBLE_EQ(cAtof(" -1.5e3xyz"), -1500.0);
    EXPECT_EQ(cFormat("%.2f|%g|%.1f", 4.59, 0.5, 100.0), "4.59|0.5|100.0");
    EXPECT_EQ(cDefaultFloatText(1000000.0), "1e+06");
    EXPECT_EQ(cDefaultFloatText(100000.0), "100000");
    EXPECT_EQ(strippedNumberText(1.5), "1.5");
    if (!commaLocale_) {
        GTEST_LOG_(INFO) << "no comma locale installed; checked in the C locale only";
    }
}

// A size read wrong is data made up, so unlike atoi nothing but digits
// counts; 64 bits hold the files of several weeks of recording.
TEST(CWholeNumberTest, TakesDigitsOnlyAndAll64Bits) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> value;
    };
    for (const Case& c : {Case{"2500", 2500}, Case{"\t4294967296\n", 4294967296LL},
                          Case{"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
                          Case{"9223372036854775808", std::nullopt}, Case{"12abc", std::nullopt},
                          Case{"-1", std::nullopt}, Case{"+5", std::nullopt},
                          Case{"1 2", std::nullopt}, Case{"", std::nullopt}}) {
        EXPECT_EQ(cWholeNumber(c.text), c.value) << c.text;
    }
}

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

TEST(CToUpperTest, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(cToUpper("Rev 4.60 \xe9z"), "REV 4.60 \xe9Z");
}

}  // namespace
}  // namespace kyrvana
