// Durations as the set editor reads and shows them: a value typed to the
// millisecond is saved as exactly that many milliseconds in every time unit,
// and the text shown for a saved duration reads back as that duration.

#include "core/editor/field_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

constexpr std::int32_t kLongest = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kShortest = std::numeric_limits<std::int32_t>::lowest();

// n / 10^decimals written the way the editor shows it: no trailing zeros
// after the point, no point without decimals.
std::string canonicalText(int n, int decimals) {
    std::string text = cFormat("%d", n / static_cast<int>(std::pow(10, decimals)));
    if (decimals > 0) {
        const int fraction = n % static_cast<int>(std::pow(10, decimals));
        std::string digits = cFormat("%0*d", decimals, fraction);
        while (!digits.empty() && digits.back() == '0') {
            digits.pop_back();
        }
        if (!digits.empty()) {
            text += "." + digits;
        }
    }
    return text;
}

// Every unit with the most decimals that still name whole milliseconds
// (a thousandth of a second, 6 ms of a minute, 36 ms of an hour, 864 ms of
// a day): the first 60 000 values typed with that many decimals are saved
// exactly and shown again as typed. In seconds that is every value of three
// decimals below 60 s, 372 of which the binary product 1.001 x 1000 style
// used to floor one millisecond short.
TEST(FieldNumbersTest, TypedToTheMillisecondIsSavedExactlyInEveryUnit) {
    const struct {
        const char* word;
        int decimals;
        std::int32_t msPerStep;
    } units[] = {
        {"Seconds", 3, 1},  {"Minutes", 4, 6},  {"Hours", 5, 36},      {"Days", 5, 864},
        {"mSeconds", 0, 1}, {"dSeconds", 2, 1}, {"InvalidMode", 0, 1},
    };
    for (const auto& unit : units) {
        int wrong = 0;
        for (int n = 0; n < 60000; ++n) {
            const std::string typed = canonicalText(n, unit.decimals);
            const std::int32_t expected = n * unit.msPerStep;
            const TypedDuration read = typedDuration(typed, unit.word);
            const bool exact = read.milliseconds == expected &&
                               read.exactMilliseconds == expected &&
                               durationFieldText(expected, unit.word) == typed;
            if (!exact && ++wrong <= 3) {
                ADD_FAILURE() << unit.word << " \"" << typed << "\" saved " << read.milliseconds
                              << ", shown again as \"" << durationFieldText(expected, unit.word)
                              << "\"";
            }
        }
        EXPECT_EQ(wrong, 0) << unit.word;
    }
}

// Whatever a set holds, in whatever unit, the text shown for it reads back as
// it: across the whole 32-bit range, the ends included.
TEST(FieldNumbersTest, ShownDurationsReadBackAsTheSavedOnes) {
    for (const char* word : {"Seconds", "Minutes", "Hours", "Days", "mSeconds", "dSeconds"}) {
        for (std::int64_t ms = kShortest; ms <= kLongest; ms += 104729 * 97) {
            const auto saved = static_cast<std::int32_t>(ms);
            EXPECT_EQ(typedDuration(durationFieldText(saved, word), word).milliseconds, saved)
                << saved << " ms in " << word;
        }
        for (const std::int32_t saved : {kShortest, -1, 0, 1, 59999, kLongest}) {
            EXPECT_EQ(typedDuration(durationFieldText(saved, word), word).milliseconds, saved)
                << saved << " ms in " << word;
        }
    }
}

// Finer than a millisecond rounds down, toward minus infinity; texts the C
// library reads in its own way stay read that way; beyond the range a set
// can hold saturates, for the checks as for the saved value.
TEST(FieldNumbersTest, FinerOddAndHugeTexts) {
    struct Case {
        const char* text;
        const char* word;
        std::int32_t milliseconds;
        double exact;
    };
    for (const Case& c :
         {Case{"1.0005", "Seconds", 1000, 1000.5}, Case{"0.2499", "Seconds", 249, 249.9},
          Case{"-0.0005", "Seconds", -1, -0.5}, Case{"0.00001", "Minutes", 0, 0.6},
          Case{" +1.5 s", "Seconds", 1500, 1500.0}, Case{"1e-3", "Seconds", 1, 1.0},
          Case{"abc", "Seconds", 0, 0.0}, Case{"0x10", "mSeconds", 16, 16.0},
          Case{"inf", "Seconds", 0, 0.0}, Case{"1e30", "Days", kLongest, kLongest},
          Case{"-1e30", "Seconds", kShortest, kShortest}}) {
        const TypedDuration read = typedDuration(c.text, c.word);
        EXPECT_EQ(read.milliseconds, c.milliseconds) << c.text << " " << c.word;
        EXPECT_DOUBLE_EQ(read.exactMilliseconds, c.exact) << c.text << " " << c.word;
    }
}

}  // namespace
}  // namespace kyrvana
