#include "core/common/c_locale_text.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/common/saturating_cast.h"
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

TEST(CStrtodTest, ReportsHowMuchItUsed) {
    std::size_t used = 99;
    EXPECT_DOUBLE_EQ(cStrtod("12.5kg", &used), 12.5);
    EXPECT_EQ(used, 4u);
    EXPECT_DOUBLE_EQ(cStrtod("kg", &used), 0.0);
    EXPECT_EQ(used, 0u);
}

TEST(CToUpperTest, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(cToUpper("Rev 4.60 \xe9z"), "REV 4.60 \xe9Z");
}

TEST(SaturatingCastTest, NeverOverflows) {
    EXPECT_EQ(saturatingCast<int>(1e30), std::numeric_limits<int>::max());
    EXPECT_EQ(saturatingCast<int>(-1e30), std::numeric_limits<int>::lowest());
    EXPECT_EQ(saturatingCast<int>(std::nan("")), 0);
    EXPECT_EQ(saturatingCast<int>(-2.9), -2);
    EXPECT_EQ(saturatingCast<unsigned>(-5.0), 0u);
    EXPECT_EQ(saturatingCast<long long>(9.3e18), std::numeric_limits<long long>::max());
    EXPECT_EQ(saturatingCast<unsigned long long>(1.9e19),
              std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(saturatingFloor<int>(-200.5), -201);
    EXPECT_EQ(saturatingFloor<int>(1500.9), 1500);
}

}  // namespace
}  // namespace kyrvana
