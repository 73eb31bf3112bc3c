#include "core/protocol/set_columns.h"

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

void applyColumnValue(SetRecord& set, Instruction column, std::string_view token) {
    switch (column) {
        case Instruction::Name:
            set.name = nameFromFileToken(token);
            break;
        case Instruction::XMode:
            set.mode[0] = parseControlMode(token);
            break;
        case Instruction::YMode:
            set.mode[1] = parseControlMode(token);
            break;
        case Instruction::ZMode:
            set.mode[2] = parseControlMode(token);
            break;
        case Instruction::XFunction:
            set.function[0] = parseFunctionType(token);
            break;
        case Instruction::YFunction:
            set.function[1] = parseFunctionType(token);
            break;
        case Instruction::ZFunction:
            set.function[2] = parseFunctionType(token);
            break;
        case Instruction::XUnits:
            set.units[0] = parseUnits(token);
            break;
        case Instruction::YUnits:
            set.units[1] = parseUnits(token);
            break;
        case Instruction::ZUnits:
            set.units[2] = parseUnits(token);
            break;
        case Instruction::XMagnitude:
            set.magnitude[0] = cAtof(token);
            break;
        case Instruction::YMagnitude:
            set.magnitude[1] = cAtof(token);
            break;
        case Instruction::ZMagnitude:
            set.magnitude[2] = cAtof(token);
            break;
        case Instruction::AMagnitude:
            set.magnitude[3] = cAtof(token);
            break;
        case Instruction::BMagnitude:
            set.magnitude[4] = cAtof(token);
            break;
        case Instruction::CMagnitude:
            set.magnitude[5] = cAtof(token);
            break;
        case Instruction::XPreloadType:
            set.preloadType[0] = parsePreloadType(token);
            break;
        case Instruction::YPreloadType:
            set.preloadType[1] = parsePreloadType(token);
            break;
        case Instruction::ZPreloadType:
            set.preloadType[2] = parsePreloadType(token);
            break;
        case Instruction::XPreloadMag:
            set.preloadMag[0] = cAtof(token);
            break;
        case Instruction::YPreloadMag:
            set.preloadMag[1] = cAtof(token);
            break;
        case Instruction::ZPreloadMag:
            set.preloadMag[2] = cAtof(token);
            break;
        case Instruction::APreloadMag:
            set.preloadMag[3] = cAtof(token);
            break;
        case Instruction::BPreloadMag:
            set.preloadMag[4] = cAtof(token);
            break;
        case Instruction::CPreloadMag:
            set.preloadMag[5] = cAtof(token);
            break;
        case Instruction::StretchDurationSec:
            set.stretchDurationSec = cAtof(token);
            break;
        case Instruction::RecoveryDurationSec:
            set.recoveryDurationSec = cAtof(token);
            break;
        case Instruction::HoldTimeSec:
            set.holdTimeSec = cAtof(token);
            break;
        case Instruction::RestTimeSec:
            set.restTimeSec = cAtof(token);
            break;
        case Instruction::StretchDurationMSec:
            set.stretchDurationMs = millisecondsFrom(token);
            break;
        case Instruction::RecoveryDurationMSec:
            set.recoveryDurationMs = millisecondsFrom(token);
            break;
        case Instruction::HoldTimeMSec:
            set.holdTimeMs = millisecondsFrom(token);
            break;
        case Instruction::RestTimeMSec:
            set.restTimeMs = millisecondsFrom(token);
            break;
        case Instruction::NumReps:
            set.numReps = cAtoi(token);
            break;
        case Instruction::DataFreqHz:
            set.dataFrequency = dataFrequencyFromHz(token);
            break;
        case Instruction::DataFreqMS:
            set.dataFrequency = dataFrequencyFromMs(token, set.dataPeriodMs);
            break;
        case Instruction::DataType:
            set.dataType = parseDataType(token);
            break;
        case Instruction::ImageFreqHz:
            set.imageFrequency = imageFrequencyFromText(token);
            break;
        case Instruction::Tolerance:
            set.tolerance = cAtof(token);
            break;
        case Instruction::TolCorOver:
            set.tolCorOver = cAtoi(token) != 0;
            break;
        case Instruction::TimeUnits:
            set.timeUnits = parseTimeUnits(token);
            break;
        case Instruction::AutoAdjust:
            set.autoAdjust = cAtoi(token);
            break;
        case Instruction::LoadSpeed:
            set.loadSpeed = cAtof(token);
            break;
        case Instruction::UnloadSpeed:
            set.unloadSpeed = cAtof(token);
            break;
        case Instruction::LoadAccel:
            set.loadAccel = unsignedFrom(token);
            break;
        case Instruction::UnloadAccel:
            set.unloadAccel = unsignedFrom(token);
            break;
        default:
            // The preload types of wells A to C have no keyword and unknown
            // columns have no field: the value is skipped.
            break;
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
