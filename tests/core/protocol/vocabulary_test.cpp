#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"
#include "core/protocol/instruction_keywords.h"
#include "core/protocol/set_display_texts.h"

namespace kyrvana {
namespace {

TEST(InstructionKeywordTest, EveryOutputNameReadsBackInAnyCase) {
    int named = 0;
    for (int code = -1; code <= 50; ++code) {
        const auto instruction = static_cast<Instruction>(code);
        const std::string name(instructionName(instruction));
        if (name == "InvalidInstruction") {
            EXPECT_TRUE(code < 0 || (code >= 21 && code <= 23) || code > 48) << code;
            continue;
        }
        ++named;
        EXPECT_EQ(instructionFromKeyword(name), instruction) << name;
        EXPECT_EQ(instructionFromKeyword(cToUpper(name)), instruction) << name;
        std::string lower = name;
        for (char& c : lower) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        EXPECT_EQ(instructionFromKeyword(lower), instruction) << name;
    }
    EXPECT_EQ(named, 46);
}

TEST(InstructionKeywordTest, OtherTextsAreUnknown) {
    for (const std::string& text :
         std::vector<std::string>{"XMode2", "", "X MODE", "InvalidInstruction", "APRELOADTYPE",
                                  "NAME\t", std::string("NAME\0", 5), std::string(5000, 'N')}) {
        EXPECT_EQ(instructionFromKeyword(text), Instruction::Unknown) << text.size();
    }
    EXPECT_EQ(instructionName(Instruction::DataFreqMS), "DataFreqMS");
}

template <auto Parse>
int parsedCode(std::string_view text) {
    return codeOf(Parse(text));
}

struct ParseCase {
    const char* what;
    int (*parse)(std::string_view);
    std::string text;
    int code;
};

class EnumerationParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(EnumerationParseTest, GivesTheCodeOrMinusOne) {
    EXPECT_EQ(GetParam().parse(GetParam().text), GetParam().code)
        << GetParam().what << " '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Words, EnumerationParseTest,
    testing::Values(
        ParseCase{"mode", parsedCode<parseControlMode>, "disp", 0},
        ParseCase{"mode", parsedCode<parseControlMode>, "Force", 1},
        ParseCase{"function", parsedCode<parseFunctionType>, "Strain", 1},
        ParseCase{"function", parsedCode<parseFunctionType>, "strain", 1},
        ParseCase{"function", parsedCode<parseFunctionType>, "STRAIN", 1},
        ParseCase{"units exact", parsedCode<parseUnits>, "um", 1},
        ParseCase{"units exact", parsedCode<parseUnits>, "UM", -1},
        ParseCase{"units exact", parsedCode<parseUnits>, "N", 5},
        ParseCase{"units exact", parsedCode<parseUnits>, "n", -1},
        ParseCase{"preload", parsedCode<parsePreloadType>, "every", 2},
        ParseCase{"time units", parsedCode<parseTimeUnits>, "mSeconds", 4},
        ParseCase{"time units", parsedCode<parseTimeUnits>, "dseconds", 5},
        ParseCase{"time units", parsedCode<parseTimeUnits>, "InvalidMode", -1},
        ParseCase{"data type exact", parsedCode<parseDataType>, "Max", 3},
        ParseCase{"data type exact", parsedCode<parseDataType>, "All", 3},
        ParseCase{"data type exact", parsedCode<parseDataType>, "all", -1},
        ParseCase{"data type exact", parsedCode<parseDataType>, "All(64)", 2},
        ParseCase{"data type exact", parsedCode<parseDataType>, "All(64) ", -1},
        // Upper-casing touches a to z only: a Latin-1 e-acute stays as it is.
        ParseCase{"8-bit", parsedCode<parseControlMode>, "disp\xe9", -1},
        ParseCase{"over-long", parsedCode<parseControlMode>, std::string(1024, 'D'), -1},
        ParseCase{"NUL inside", parsedCode<parseControlMode>, std::string("DISP\0", 5), -1},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "0.10", 3},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "0.001", 5},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "None", 6},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "none", -1},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "5", -1},
        ParseCase{"Hz", parsedCode<dataFrequencyFromHz>, "1e1", 1},
        ParseCase{"image", parsedCode<imageFrequencyFromText>, "10", 3},
        ParseCase{"image", parsedCode<imageFrequencyFromText>, "5", 3},
        ParseCase{"image", parsedCode<imageFrequencyFromText>, "0", 8},
        ParseCase{"image", parsedCode<imageFrequencyFromText>, "junk", 8},
        ParseCase{"image", parsedCode<imageFrequencyFromText>, "2", -1}));

template <auto Format, typename Enum>
std::string formattedText(int code) {
    return std::string(Format(static_cast<Enum>(code)));
}

struct FormatCase {
    std::string (*format)(int);
    int code;
    const char* text;
};

class EnumerationFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(EnumerationFormatTest, GivesTheOutputTextOrTheInvalidText) {
    EXPECT_EQ(GetParam().format(GetParam().code), GetParam().text) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EnumerationFormatTest,
    testing::Values(
        FormatCase{formattedText<formatControlMode, ControlMode>, 1, "Force"},
        FormatCase{formattedText<formatControlMode, ControlMode>, 2, "InvalidMode"},
        FormatCase{formattedText<formatFunctionType, FunctionType>, 4, "Sinusoid"},
        FormatCase{formattedText<formatFunctionType, FunctionType>, -1, "InvalidFunction"},
        FormatCase{formattedText<formatUnits, UnitsCode>, 6, "InvalidUnits"},
        FormatCase{formattedText<formatPreloadType, PreloadType>, 2, "Every"},
        FormatCase{formattedText<formatPreloadType, PreloadType>, -1, "InvalidPreloadType"},
        FormatCase{formattedText<formatTimeUnits, TimeUnits>, -1, "InvalidMode"},
        FormatCase{formattedText<timeUnitsLetter, TimeUnits>, 4, "mS"},
        FormatCase{formattedText<timeUnitsLetter, TimeUnits>, 6, "InvalidMode"},
        FormatCase{formattedText<formatDataType, DataType>, 2, "All(64) "},
        FormatCase{formattedText<formatDataType, DataType>, 4, "InvalidDataType"},
        FormatCase{formattedText<dataFrequencyHzText, DataFrequency>, 3, "0.1"},
        FormatCase{formattedText<dataFrequencyHzText, DataFrequency>, 6, "None"},
        FormatCase{formattedText<dataFrequencyHzText, DataFrequency>, -1, "InvalidDataFrequency"},
        FormatCase{formattedText<imageFrequencyText, ImageFrequency>, 3, "5"},
        FormatCase{formattedText<imageFrequencyText, ImageFrequency>, 9, "InvalidImageFrequency"}));

TEST(DataFrequencyTest, MillisecondFormKeepsThePeriodAndMapsOthersToNone) {
    struct Case {
        const char* text;
        std::int32_t period;
        DataFrequency code;
        std::int32_t writtenMs;
    };
    for (const Case& c :
         {Case{"10", 10, DataFrequency::Hz100, 10},
          Case{"1000000", 1000000, DataFrequency::Hz0_001, 1000000},
          Case{"250", 250, DataFrequency::None, 0}, Case{"100.9", 100, DataFrequency::Hz10, 100},
          Case{"-5", -5, DataFrequency::None, 0},
          Case{"99999999999", 2147483647, DataFrequency::None, 0}}) {
        std::int32_t period = 0;
        EXPECT_EQ(dataFrequencyFromMs(c.text, period), c.code) << c.text;
        EXPECT_EQ(period, c.period) << c.text;
        EXPECT_EQ(dataFrequencyMs(c.code), c.writtenMs) << c.text;
    }
    EXPECT_EQ(dataFrequencyMs(DataFrequency::Unknown), 0);
}

TEST(DisplayTextTest, DurationsInTheSetsUnit) {
    struct Case {
        std::int32_t ms;
        TimeUnits units;
        const char* text;
    };
    for (const Case& c :
         {Case{1500, TimeUnits::Seconds, "1.50 (S)"}, Case{6000, TimeUnits::Minutes, "0.10 (m)"},
          Case{250, TimeUnits::Milliseconds, "250 (mS)"},
          Case{7200000, TimeUnits::Hours, "2.00 (h)"}, Case{43200000, TimeUnits::Days, "0.50 (d)"},
          Case{250, TimeUnits::Deciseconds, "2.50 (dS)"},
          Case{250, TimeUnits::Unknown, "250.00 (InvalidMode)"},
          Case{-1500, TimeUnits::Seconds, "-1.50 (S)"}}) {
        EXPECT_EQ(durationText(c.ms, c.units), c.text);
    }
}

TEST(DisplayTextTest, SetTextsOfTheList) {
    Protocol protocol;
    SetRecord set;
    set.stretchDurationMs = 0;
    set.recoveryDurationMs = -5;
    set.units[0] = UnitsCode::Unknown;
    protocol.append(set);
    EXPECT_EQ(magnitudeDescription(protocol, 0), "Ramp (InvalidUnits)");
    EXPECT_EQ(loadDurationText(protocol, 0), "None");
    EXPECT_EQ(recoveryDurationText(protocol, 0), "None");
    EXPECT_EQ(holdDurationText(protocol, 0), "0.00 (S)");
    EXPECT_EQ(restDurationText(protocol, 0), "0.00 (S)");
    EXPECT_EQ(preloadText(protocol, 0), "None");

    protocol.setAt(0)->preloadType[0] = PreloadType::EveryRepetition;
    protocol.setAt(0)->preloadMag[0] = 50.0;
    EXPECT_EQ(preloadText(protocol, 0), "50.0 (Every)");
    protocol.setAt(0)->preloadType[0] = PreloadType::Unknown;
    EXPECT_EQ(preloadText(protocol, 0), "50.0 (InvalidPreloadType)");

    for (const int index : {-1, 1}) {
        EXPECT_EQ(magnitudeDescription(protocol, index), "Unknown");
        EXPECT_EQ(loadDurationText(protocol, index), "Unknown");
        EXPECT_EQ(holdDurationText(protocol, index), "Unknown");
        EXPECT_EQ(preloadText(protocol, index), "Unknown");
    }
}

}  // namespace
}  // namespace kyrvana
