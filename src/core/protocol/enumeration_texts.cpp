#include "core/protocol/enumeration_texts.h"

#include <array>
#include <cstddef>

#include "core/protocol/vocabulary_matching.h"

namespace kyrvana {
namespace {

// The output text of a code that indexes texts, or the invalid text.
template <typename Enum, std::size_t N>
std::string_view textOfCode(const std::array<std::string_view, N>& texts, Enum code,
                            std::string_view invalid) {
    const auto index = codeOf(code);
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        return invalid;
    }
    return texts[static_cast<std::size_t>(index)];
}

template <typename Enum>
Enum codeOfWord(std::span<const VocabularyWord> words, std::string_view text,
                WordComparison comparison) {
    return static_cast<Enum>(lookUpWord(words, text, comparison));
}

constexpr VocabularyWord kControlModeWords[] = {{"DISP", 0}, {"FORCE", 1}};
constexpr std::array<std::string_view, 2> kControlModeTexts{"Disp", "Force"};

constexpr VocabularyWord kFunctionWords[] = {
    {"STEP", 3}, {"RAMP", 0}, {"STRAIN", 1}, {"CUSTOM", 2}, {"SINUSOID", 4}};
constexpr std::array<std::string_view, 5> kFunctionTexts{"Ramp", "Strain", "Custom", "Step",
                                                         "Sinusoid"};

constexpr VocabularyWord kUnitsWords[] = {{"%", 0},  {"um", 1}, {"mN", 2},
                                          {"uN", 3}, {"mm", 4}, {"N", 5}};
constexpr std::array<std::string_view, 6> kUnitsTexts{"%", "um", "mN", "uN", "mm", "N"};

constexpr VocabularyWord kPreloadWords[] = {{"NONE", 0}, {"FIRST", 1}, {"EVERY", 2}};
constexpr std::array<std::string_view, 3> kPreloadTexts{"None", "First", "Every"};

constexpr VocabularyWord kTimeUnitsWords[] = {{"SECONDS", 0}, {"MINUTES", 1},  {"HOURS", 2},
                                              {"DAYS", 3},    {"MSECONDS", 4}, {"DSECONDS", 5}};
constexpr std::array<std::string_view, 6> kTimeUnitsTexts{"Seconds", "Minutes",  "Hours",
                                                          "Days",    "mSeconds", "dSeconds"};
constexpr std::array<std::string_view, 6> kTimeUnitsLetters{"S", "m", "h", "d", "mS", "dS"};

constexpr VocabularyWord kDataTypeWords[] = {
    {"Peaks", 0}, {"None", 1}, {"All(64)", 2}, {"All", 3}, {"Max", 3}};
constexpr std::array<std::string_view, 4> kDataTypeTexts{"Peaks", "None", "All(64) ", "All"};

}  // namespace

ControlMode parseControlMode(std::string_view text) {
    return codeOfWord<ControlMode>(kControlModeWords, text, WordComparison::IgnoringCase);
}

std::string_view formatControlMode(ControlMode code) {
    return textOfCode(kControlModeTexts, code, "InvalidMode");
}

FunctionType parseFunctionType(std::string_view text) {
    return codeOfWord<FunctionType>(kFunctionWords, text, WordComparison::IgnoringCase);
}

std::string_view formatFunctionType(FunctionType code) {
    return textOfCode(kFunctionTexts, code, "InvalidFunction");
}

UnitsCode parseUnits(std::string_view text) {
    return codeOfWord<UnitsCode>(kUnitsWords, text, WordComparison::Exact);
}

std::string_view formatUnits(UnitsCode code) {
    return textOfCode(kUnitsTexts, code, "InvalidUnits");
}

PreloadType parsePreloadType(std::string_view text) {
    return codeOfWord<PreloadType>(kPreloadWords, text, WordComparison::IgnoringCase);
}

std::string_view formatPreloadType(PreloadType code) {
    return textOfCode(kPreloadTexts, code, "InvalidPreloadType");
}

TimeUnits parseTimeUnits(std::string_view text) {
    return codeOfWord<TimeUnits>(kTimeUnitsWords, text, WordComparison::IgnoringCase);
}

std::string_view formatTimeUnits(TimeUnits code) {
    return textOfCode(kTimeUnitsTexts, code, "InvalidMode");
}

std::string_view timeUnitsLetter(TimeUnits code) {
    return textOfCode(kTimeUnitsLetters, code, "InvalidMode");
}

DataType parseDataType(std::string_view text) {
    return codeOfWord<DataType>(kDataTypeWords, text, WordComparison::Exact);
}

std::string_view formatDataType(DataType code) {
    return textOfCode(kDataTypeTexts, code, "InvalidDataType");
}

double millisecondsPerTimeUnit(TimeUnits code) {
    switch (code) {
        case TimeUnits::Seconds:
            return 1000.0;
        case TimeUnits::Minutes:
            return 60000.0;
        case TimeUnits::Hours:
            return 3600000.0;
        case TimeUnits::Days:
            return 86400000.0;
        case TimeUnits::Deciseconds:
            return 100.0;
        default:
            return 1.0;
    }
}

}  // namespace kyrvana
