// The protocol file's words as they read and as they are written. Words a
// file gets wrong (a unit in the wrong case, a rate that is no rate) are
// covered line by line by the reader's list of problems, and the words of
// every valid code by the writer's round trip; here the odd cases of each.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"
#include "core/protocol/instruction_keywords.h"

namespace kyrvana {
namespace {

TEST(InstructionKeywordTest, EveryOutputNameReadsBackInAnyCase) {
    int named = 0;
    for (int code = -1; code <= 50; ++code) {
        const auto instruction = static_cast<Instruction>(code);
        const std::string name(instructionName(instruction));
        if (name == "InvalidInstruction") {
            continue;
        }
        ++named;
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
        for (const std::string& spelling : {name, cToUpper(name), lower}) {
            EXPECT_EQ(instructionFromKeyword(spelling), instruction) << spelling;
        }
    }
    EXPECT_EQ(named, 46);
}

TEST(EnumerationWordsTest, OddWordsReadAndInvalidCodesWrite) {
    const struct {
        int parsed;
        int code;
    } parses[] = {
        {codeOf(parseDataType("Max")), 3},  // an older word for "All"
        {codeOf(parseDataType("All(64)")), 2},
        {codeOf(parseDataType("All(64) ")), -1},
        // Upper-casing touches a to z only: a Latin-1 e-acute stays as it is.
        {codeOf(parseControlMode("disp\xe9")), -1},
        {codeOf(parseControlMode(std::string("DISP\0", 5))), -1},
        {codeOf(dataFrequencyFromHz("0.10")), 3},
        {codeOf(dataFrequencyFromHz("1e1")), 1},
        {codeOf(imageFrequencyFromText("10")), 3},  // an older spelling of 5
        {codeOf(imageFrequencyFromText("junk")), 8},
    };
    for (std::size_t i = 0; i < std::size(parses); ++i) {
        EXPECT_EQ(parses[i].parsed, parses[i].code) << "row " << i;
    }
    EXPECT_EQ(
        (std::vector<std::string_view>{formatTimeUnits(TimeUnits::Unknown),
                                       formatDataType(static_cast<DataType>(4)),
                                       dataFrequencyHzText(DataFrequency::Unknown),
                                       imageFrequencyText(ImageFrequency::PerSecond5),
                                       imageFrequencyText(static_cast<ImageFrequency>(9))}),
        (std::vector<std::string_view>{"InvalidMode", "InvalidDataType", "InvalidDataFrequency",
                                       "5", "InvalidImageFrequency"}));
}

TEST(DataFrequencyTest, MillisecondFormKeepsThePeriodAndMapsOthersToNone) {
    struct Case {
        const char* text;
        std::int32_t period;
        DataFrequency code;
        std::int32_t writtenMs;
    };
    for (const Case& c :
         {Case{"10", 10, DataFrequency::Hz100, 10}, Case{"250", 250, DataFrequency::None, 0},
          Case{"100.9", 100, DataFrequency::Hz10, 100}, Case{"-5", -5, DataFrequency::None, 0},
          Case{"99999999999", 2147483647, DataFrequency::None, 0}}) {
        std::int32_t period = 0;
        EXPECT_EQ(dataFrequencyFromMs(c.text, period), c.code) << c.text;
        EXPECT_EQ(period, c.period) << c.text;
        EXPECT_EQ(dataFrequencyMs(c.code), c.writtenMs) << c.text;
    }
    EXPECT_EQ(dataFrequencyMs(DataFrequency::Unknown), 0);
}

}  // namespace
}  // namespace kyrvana
