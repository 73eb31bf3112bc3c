#include "core/protocol/set_columns.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
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

namespace {

// How a column reaches its field: a whole member, or one element of a per-axis
// or per-well array.
template <auto Member>
struct Field {
    static auto& of(SetRecord& set) { return set.*Member; }
    static const auto& of(const SetRecord& set) { return set.*Member; }
};
template <auto Member, std::size_t Index>
struct At {
    static auto& of(SetRecord& set) { return (set.*Member)[Index]; }
    static const auto& of(const SetRecord& set) { return (set.*Member)[Index]; }
};

// The kinds of value a column holds, each with how its token is read and how
// its value is written.
template <typename F>
struct Float {
    static bool read(SetRecord& set, std::string_view token) {
        return readFloat(F::of(set), token);
    }
    static std::string write(const SetRecord& set) { return cDefaultFloatText(F::of(set)); }
};
// A whole number as the C conversions read it: they give a value (0) even
// for a token that is no number, which is stored all the same.
template <typename F, auto from, auto isValue, auto textOf>
struct Number {
    static bool read(SetRecord& set, std::string_view token) {
        F::of(set) = from(token);
        return isValue(token);
    }
    static std::string write(const SetRecord& set) { return textOf(F::of(set)); }
};
template <typename F>
using Milliseconds = Number<F, millisecondsFrom, startsWithNumber, integerText>;
template <typename F>
using Integer = Number<F, cAtoi, startsWithInteger, integerText>;
template <typename F>
using Unsigned = Number<F, unsignedFrom, startsWithInteger, unsignedText>;
// A word of the vocabulary, stored as its code.
template <typename F, auto parse, auto format>
struct Word {
    static bool read(SetRecord& set, std::string_view token) {
        return known(F::of(set), parse(token));
    }
    static std::string write(const SetRecord& set) { return text(format(F::of(set))); }
};
// Written from its field but never read: the preload types of wells A to C
// have no keyword, so a value in their column is skipped.
template <typename F, auto format>
struct WriteOnly {
    static bool read(SetRecord&, std::string_view) { return true; }
    static std::string write(const SetRecord& set) { return text(format(F::of(set))); }
};

struct Name {
    static bool read(SetRecord& set, std::string_view token) {
        set.name = nameFromFileToken(token);
        return true;
    }
    static std::string write(const SetRecord& set) { return fileTokenFromName(set.name); }
};
// The recording period in milliseconds: the exact period is kept beside the
// nearest frequency the device offers.
struct DataPeriod {
    static bool read(SetRecord& set, std::string_view token) {
        set.dataFrequency = dataFrequencyFromMs(token, set.dataPeriodMs);
        return startsWithInteger(token);
    }
    static std::string write(const SetRecord& set) {
        return integerText(dataFrequencyMs(set.dataFrequency));
    }
};
struct ToleranceCorrectsOvershoot {
    static bool read(SetRecord& set, std::string_view token) {
        set.tolCorOver = cAtoi(token) != 0;
        return startsWithInteger(token);
    }
    static std::string write(const SetRecord& set) { return set.tolCorOver ? "1" : "0"; }
};

struct Column {
    Instruction code;
    bool (*read)(SetRecord&, std::string_view);
    std::string (*write)(const SetRecord&);
};

template <typename Kind>
constexpr Column column(Instruction code) {
    return {code, &Kind::read, &Kind::write};
}

using I = Instruction;
using S = SetRecord;
template <std::size_t Axis>
using Mode = Word<At<&S::mode, Axis>, parseControlMode, formatControlMode>;
template <std::size_t Axis>
using Function = Word<At<&S::function, Axis>, parseFunctionType, formatFunctionType>;
template <std::size_t Axis>
using Units = Word<At<&S::units, Axis>, parseUnits, formatUnits>;
template <std::size_t Well>
using Magnitude = Float<At<&S::magnitude, Well>>;
template <std::size_t Well>
using PreloadKind = Word<At<&S::preloadType, Well>, parsePreloadType, formatPreloadType>;
template <std::size_t Well>
using UnreadPreloadKind = WriteOnly<At<&S::preloadType, Well>, formatPreloadType>;
template <std::size_t Well>
using PreloadForce = Float<At<&S::preloadMag, Well>>;

// Every column of a set row, in the order of its code.
constexpr Column kColumns[] = {
    column<Name>(I::Name),
    column<Mode<0>>(I::XMode),
    column<Function<0>>(I::XFunction),
    column<Units<0>>(I::XUnits),
    column<Magnitude<0>>(I::XMagnitude),
    column<PreloadKind<0>>(I::XPreloadType),
    column<PreloadForce<0>>(I::XPreloadMag),
    column<Mode<1>>(I::YMode),
    column<Function<1>>(I::YFunction),
    column<Units<1>>(I::YUnits),
    column<Magnitude<1>>(I::YMagnitude),
    column<PreloadKind<1>>(I::YPreloadType),
    column<PreloadForce<1>>(I::YPreloadMag),
    column<Mode<2>>(I::ZMode),
    column<Function<2>>(I::ZFunction),
    column<Units<2>>(I::ZUnits),
    column<Magnitude<2>>(I::ZMagnitude),
    column<Magnitude<3>>(I::AMagnitude),
    column<Magnitude<4>>(I::BMagnitude),
    column<Magnitude<5>>(I::CMagnitude),
    column<PreloadKind<2>>(I::ZPreloadType),
    column<UnreadPreloadKind<3>>(I::APreloadType),
    column<UnreadPreloadKind<4>>(I::BPreloadType),
    column<UnreadPreloadKind<5>>(I::CPreloadType),
    column<PreloadForce<2>>(I::ZPreloadMag),
    column<PreloadForce<3>>(I::APreloadMag),
    column<PreloadForce<4>>(I::BPreloadMag),
    column<PreloadForce<5>>(I::CPreloadMag),
    column<Float<Field<&S::stretchDurationSec>>>(I::StretchDurationSec),
    column<Float<Field<&S::recoveryDurationSec>>>(I::RecoveryDurationSec),
    column<Float<Field<&S::holdTimeSec>>>(I::HoldTimeSec),
    column<Float<Field<&S::restTimeSec>>>(I::RestTimeSec),
    column<Milliseconds<Field<&S::stretchDurationMs>>>(I::StretchDurationMSec),
    column<Milliseconds<Field<&S::recoveryDurationMs>>>(I::RecoveryDurationMSec),
    column<Milliseconds<Field<&S::holdTimeMs>>>(I::HoldTimeMSec),
    column<Milliseconds<Field<&S::restTimeMs>>>(I::RestTimeMSec),
    column<Integer<Field<&S::numReps>>>(I::NumReps),
    column<Word<Field<&S::dataFrequency>, dataFrequencyFromHz, dataFrequencyHzText>>(I::DataFreqHz),
    column<Word<Field<&S::dataType>, parseDataType, formatDataType>>(I::DataType),
    column<Word<Field<&S::imageFrequency>, imageFrequencyFromText, imageFrequencyText>>(
        I::ImageFreqHz),
    column<Float<Field<&S::tolerance>>>(I::Tolerance),
    column<ToleranceCorrectsOvershoot>(I::TolCorOver),
    column<Word<Field<&S::timeUnits>, parseTimeUnits, formatTimeUnits>>(I::TimeUnits),
    column<Integer<Field<&S::autoAdjust>>>(I::AutoAdjust),
    column<DataPeriod>(I::DataFreqMS),
    column<Float<Field<&S::loadSpeed>>>(I::LoadSpeed),
    column<Float<Field<&S::unloadSpeed>>>(I::UnloadSpeed),
    column<Unsigned<Field<&S::loadAccel>>>(I::LoadAccel),
    column<Unsigned<Field<&S::unloadAccel>>>(I::UnloadAccel),
};

constexpr bool eachColumnAtItsCode() {
    for (std::size_t i = 0; i < std::size(kColumns); ++i) {
        if (static_cast<std::size_t>(kColumns[i].code) != i) {
            return false;
        }
    }
    return true;
}
static_assert(eachColumnAtItsCode(), "a column's row must stand at its code");

// Unknown codes and codes above the last column have no field.
const Column* columnOf(Instruction code) {
    const auto index = static_cast<std::int64_t>(code);
    if (index < 0 || index >= static_cast<std::int64_t>(std::size(kColumns))) {
        return nullptr;
    }
    return &kColumns[index];
}

}  // namespace

bool applyColumnValue(SetRecord& set, Instruction column, std::string_view token) {
    const Column* found = columnOf(column);
    // A column without a field: the value is skipped.
    return found == nullptr || found->read(set, token);
}

std::string formatColumnValue(const SetRecord& set, Instruction column) {
    const Column* found = columnOf(column);
    // A column without a field still gets a value, so that every row keeps as
    // many tokens as its header has names and reads back.
    return found == nullptr ? std::string("0") : found->write(set);
}

}  // namespace kyrvana
