#include "core/protocol/set_columns.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"

namespace kyrvana {
namespace {

constexpr std::string_view kBlankToken = "[_]";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Whole milliseconds are read as a number and cut toward zero.
std::int32_t millisecondsFrom(std::string_view token) {
    return saturatingCast<std::int32_t>(cAtof(token));
}

std::uint32_t unsignedFrom(std::string_view token) {
    const long long value = cAtoll(token);
    if (value < 0) {
        return 0;
    }
    if (value > static_cast<long long>(std::numeric_limits<std::uint32_t>::max())) {
        return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

// Whether the C library finds a number at the start of the token, as atof and
// atoi read it. "abc" reads as 0 without being a 0. The C library also reads
// "nan", which is no value a set can hold: it is refused like "abc".
bool startsWithNumber(std::string_view token) {
    std::size_t used = 0;
    return !std::isnan(cStrtod(token, &used)) && used > 0;
}

bool startsWithInteger(std::string_view token) {
    const std::size_t digit = (!token.empty() && (token[0] == '+' || token[0] == '-')) ? 1 : 0;
    return digit < token.size() && token[digit] >= '0' && token[digit] <= '9';
}

bool readFloat(double& field, std::string_view token) {
    std::size_t used = 0;
    field = cStrtod(token, &used);
    if (std::isnan(field)) {
        // Kept, it would not even equal itself and could reach a device.
        field = 0;
        return false;
    }
    return used > 0;
}

// Stores a word's code; false for a word the vocabulary does not know, whose
// code (-1) is stored all the same.
template <typename Code>
bool known(Code& field, Code code) {
    field = code;
    return code != Code::Unknown;
}

std::string text(std::string_view word) {
    return std::string(word);
}
std::string integerText(std::int32_t value) {
    return cFormat("%d", value);
}
std::string unsignedText(std::uint32_t value) {
    return cFormat("%u", value);
}

}  // namespace

std::string nameFromFileToken(std::string_view token) {
    std::string name;
    name.reserve(token.size());
    for (std::size_t i = 0; i < token.size();) {
        if (token.substr(i, kBlankToken.size()) == kBlankToken) {
            name += ' ';
            i += kBlankToken.size();
        } else {
            name += token[i];
            ++i;
        }
    }
    return name;
}

std::string fileTokenFromName(std::string_view name) {
    // A tab or line end in a name would split the row just as a blank does, so
    // it is kept as a blank too. An empty name cannot be a token at all; it is
    // written as a single blank so that the row keeps its columns.
    if (name.empty()) {
        return std::string(kBlankToken);
    }
    std::string token;
    token.reserve(name.size());
    for (const char c : name) {
        if (isBlank(c)) {
            token += kBlankToken;
        } else {
            token += c;
        }
    }
    return token;
}

bool applyColumnValue(SetRecord& set, Instruction column, std::string_view token) {
    switch (column) {
        case Instruction::Name:
            set.name = nameFromFileToken(token);
            return true;
        case Instruction::XMode:
            return known(set.mode[0], parseControlMode(token));
        case Instruction::YMode:
            return known(set.mode[1], parseControlMode(token));
        case Instruction::ZMode:
            return known(set.mode[2], parseControlMode(token));
        case Instruction::XFunction:
            return known(set.function[0], parseFunctionType(token));
        case Instruction::YFunction:
            return known(set.function[1], parseFunctionType(token));
        case Instruction::ZFunction:
            return known(set.function[2], parseFunctionType(token));
        case Instruction::XUnits:
            return known(set.units[0], parseUnits(token));
        case Instruction::YUnits:
            return known(set.units[1], parseUnits(token));
        case Instruction::ZUnits:
            return known(set.units[2], parseUnits(token));
        case Instruction::XMagnitude:
            return readFloat(set.magnitude[0], token);
        case Instruction::YMagnitude:
            return readFloat(set.magnitude[1], token);
        case Instruction::ZMagnitude:
            return readFloat(set.magnitude[2], token);
        case Instruction::AMagnitude:
            return readFloat(set.magnitude[3], token);
        case Instruction::BMagnitude:
            return readFloat(set.magnitude[4], token);
        case Instruction::CMagnitude:
            return readFloat(set.magnitude[5], token);
        case Instruction::XPreloadType:
            return known(set.preloadType[0], parsePreloadType(token));
        case Instruction::YPreloadType:
            return known(set.preloadType[1], parsePreloadType(token));
        case Instruction::ZPreloadType:
            return known(set.preloadType[2], parsePreloadType(token));
        case Instruction::XPreloadMag:
            return readFloat(set.preloadMag[0], token);
        case Instruction::YPreloadMag:
            return readFloat(set.preloadMag[1], token);
        case Instruction::ZPreloadMag:
            return readFloat(set.preloadMag[2], token);
        case Instruction::APreloadMag:
            return readFloat(set.preloadMag[3], token);
        case Instruction::BPreloadMag:
            return readFloat(set.preloadMag[4], token);
        case Instruction::CPreloadMag:
            return readFloat(set.preloadMag[5], token);
        case Instruction::StretchDurationSec:
            return readFloat(set.stretchDurationSec, token);
        case Instruction::RecoveryDurationSec:
            return readFloat(set.recoveryDurationSec, token);
        case Instruction::HoldTimeSec:
            return readFloat(set.holdTimeSec, token);
        case Instruction::RestTimeSec:
            return readFloat(set.restTimeSec, token);
        case Instruction::StretchDurationMSec:
            set.stretchDurationMs = millisecondsFrom(token);
            return startsWithNumber(token);
        case Instruction::RecoveryDurationMSec:
            set.recoveryDurationMs = millisecondsFrom(token);
            return startsWithNumber(token);
        case Instruction::HoldTimeMSec:
            set.holdTimeMs = millisecondsFrom(token);
            return startsWithNumber(token);
        case Instruction::RestTimeMSec:
            set.restTimeMs = millisecondsFrom(token);
            return startsWithNumber(token);
        case Instruction::NumReps:
            set.numReps = cAtoi(token);
            return startsWithInteger(token);
        case Instruction::DataFreqHz:
            return known(set.dataFrequency, dataFrequencyFromHz(token));
        case Instruction::DataFreqMS:
            set.dataFrequency = dataFrequencyFromMs(token, set.dataPeriodMs);
            return startsWithInteger(token);
        case Instruction::DataType:
            return known(set.dataType, parseDataType(token));
        case Instruction::ImageFreqHz:
            return known(set.imageFrequency, imageFrequencyFromText(token));
        case Instruction::Tolerance:
            return readFloat(set.tolerance, token);
        case Instruction::TolCorOver:
            set.tolCorOver = cAtoi(token) != 0;
            return startsWithInteger(token);
        case Instruction::TimeUnits:
            return known(set.timeUnits, parseTimeUnits(token));
        case Instruction::AutoAdjust:
            set.autoAdjust = cAtoi(token);
            return startsWithInteger(token);
        case Instruction::LoadSpeed:
            return readFloat(set.loadSpeed, token);
        case Instruction::UnloadSpeed:
            return readFloat(set.unloadSpeed, token);
        case Instruction::LoadAccel:
            set.loadAccel = unsignedFrom(token);
            return startsWithInteger(token);
        case Instruction::UnloadAccel:
            set.unloadAccel = unsignedFrom(token);
            return startsWithInteger(token);
        default:
            // The preload types of wells A to C have no keyword and unknown
            // columns have no field: the value is skipped.
            return true;
    }
}

std::string formatColumnValue(const SetRecord& set, Instruction column) {
    switch (column) {
        case Instruction::Name:
            return fileTokenFromName(set.name);
        case Instruction::XMode:
            return text(formatControlMode(set.mode[0]));
        case Instruction::YMode:
            return text(formatControlMode(set.mode[1]));
        case Instruction::ZMode:
            return text(formatControlMode(set.mode[2]));
        case Instruction::XFunction:
            return text(formatFunctionType(set.function[0]));
        case Instruction::YFunction:
            return text(formatFunctionType(set.function[1]));
        case Instruction::ZFunction:
            return text(formatFunctionType(set.function[2]));
        case Instruction::XUnits:
            return text(formatUnits(set.units[0]));
        case Instruction::YUnits:
            return text(formatUnits(set.units[1]));
        case Instruction::ZUnits:
            return text(formatUnits(set.units[2]));
        case Instruction::XMagnitude:
            return cDefaultFloatText(set.magnitude[0]);
        case Instruction::YMagnitude:
            return cDefaultFloatText(set.magnitude[1]);
        case Instruction::ZMagnitude:
            return cDefaultFloatText(set.magnitude[2]);
        case Instruction::AMagnitude:
            return cDefaultFloatText(set.magnitude[3]);
        case Instruction::BMagnitude:
            return cDefaultFloatText(set.magnitude[4]);
        case Instruction::CMagnitude:
            return cDefaultFloatText(set.magnitude[5]);
        case Instruction::XPreloadType:
            return text(formatPreloadType(set.preloadType[0]));
        case Instruction::YPreloadType:
            return text(formatPreloadType(set.preloadType[1]));
        case Instruction::ZPreloadType:
            return text(formatPreloadType(set.preloadType[2]));
        case Instruction::APreloadType:
            return text(formatPreloadType(set.preloadType[3]));
        case Instruction::BPreloadType:
            return text(formatPreloadType(set.preloadType[4]));
        case Instruction::CPreloadType:
            return text(formatPreloadType(set.preloadType[5]));
        case Instruction::XPreloadMag:
            return cDefaultFloatText(set.preloadMag[0]);
        case Instruction::YPreloadMag:
            return cDefaultFloatText(set.preloadMag[1]);
        case Instruction::ZPreloadMag:
            return cDefaultFloatText(set.preloadMag[2]);
        case Instruction::APreloadMag:
            return cDefaultFloatText(set.preloadMag[3]);
        case Instruction::BPreloadMag:
            return cDefaultFloatText(set.preloadMag[4]);
        case Instruction::CPreloadMag:
            return cDefaultFloatText(set.preloadMag[5]);
        case Instruction::StretchDurationSec:
            return cDefaultFloatText(set.stretchDurationSec);
        case Instruction::RecoveryDurationSec:
            return cDefaultFloatText(set.recoveryDurationSec);
        case Instruction::HoldTimeSec:
            return cDefaultFloatText(set.holdTimeSec);
        case Instruction::RestTimeSec:
            return cDefaultFloatText(set.restTimeSec);
        case Instruction::StretchDurationMSec:
            return integerText(set.stretchDurationMs);
        case Instruction::RecoveryDurationMSec:
            return integerText(set.recoveryDurationMs);
        case Instruction::HoldTimeMSec:
            return integerText(set.holdTimeMs);
        case Instruction::RestTimeMSec:
            return integerText(set.restTimeMs);
        case Instruction::NumReps:
            return integerText(set.numReps);
        case Instruction::DataFreqHz:
            return text(dataFrequencyHzText(set.dataFrequency));
        case Instruction::DataFreqMS:
            return integerText(dataFrequencyMs(set.dataFrequency));
        case Instruction::DataType:
            return text(formatDataType(set.dataType));
        case Instruction::ImageFreqHz:
            return text(imageFrequencyText(set.imageFrequency));
        case Instruction::Tolerance:
            return cDefaultFloatText(set.tolerance);
        case Instruction::TolCorOver:
            return set.tolCorOver ? "1" : "0";
        case Instruction::TimeUnits:
            return text(formatTimeUnits(set.timeUnits));
        case Instruction::AutoAdjust:
            return integerText(set.autoAdjust);
        case Instruction::LoadSpeed:
            return cDefaultFloatText(set.loadSpeed);
        case Instruction::UnloadSpeed:
            return cDefaultFloatText(set.unloadSpeed);
        case Instruction::LoadAccel:
            return unsignedText(set.loadAccel);
        case Instruction::UnloadAccel:
            return unsignedText(set.unloadAccel);
        default:
            // A column without a field still gets a value, so that every row
            // keeps as many tokens as its header has names and reads back.
            return "0";
    }
}

}  // namespace kyrvana
