#include "core/editor/field_numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/common/c_locale_text.h"
#include "core/common/decimal_text.h"
#include "core/common/saturating_cast.h"
#include "core/protocol/enumeration_texts.h"

namespace kyrvana {
namespace {

constexpr double kShortest = std::numeric_limits<std::int32_t>::lowest();
constexpr double kLongest = std::numeric_limits<std::int32_t>::max();

// Rounds the quotient a / b (b > 0) up to a whole number.
std::int64_t ceilDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t quotient = a / b;
    return quotient + (a % b > 0 ? 1 : 0);
}

// `scaled` / 10^decimals as a plain decimal text.
std::string decimalText(std::int64_t scaled, int decimals) {
    std::string digits = std::to_string(scaled < 0 ? -scaled : scaled);
    if (decimals > 0) {
        const auto fraction = static_cast<std::size_t>(decimals);
        if (digits.size() <= fraction) {
            digits.insert(0, fraction + 1 - digits.size(), '0');
        }
        digits.insert(digits.size() - fraction, 1, '.');
    }
    return scaled < 0 ? "-" + digits : digits;
}

}  // namespace

double fieldNumber(std::string_view text) {
    const double value = cAtof(text);
    return std::isfinite(value) ? value : 0.0;
}

std::uint32_t millisecondsPerTimeUnit(std::string_view word) {
    return static_cast<std::uint32_t>(kyrvana::millisecondsPerTimeUnit(parseTimeUnits(word)));
}

TypedDuration typedDuration(std::string_view text, std::string_view word) {
    const std::uint32_t factor = millisecondsPerTimeUnit(word);
    TypedDuration duration;
    if (const std::optional<DecimalText> decimal = leadingDecimal(text)) {
        duration.milliseconds = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(floorTimes(*decimal, factor), kShortest, kLongest));
        duration.exactMilliseconds = timesAsDouble(*decimal, factor);
    } else {
        // Hexadecimal texts and the like: binary already, nothing to keep.
        duration.exactMilliseconds = fieldNumber(text) * factor;
        duration.milliseconds = saturatingFloor<std::int32_t>(duration.exactMilliseconds);
    }
    duration.exactMilliseconds = std::clamp(duration.exactMilliseconds, kShortest, kLongest);
    return duration;
}

std::string durationFieldText(std::int32_t milliseconds, std::string_view word) {
    const std::int64_t factor = millisecondsPerTimeUnit(word);
    // With d decimals the text stands for n / 10^d units, that is
    // n x factor / 10^d ms, and it reads back as `milliseconds` when that
    // lies in [milliseconds, milliseconds + 1). The smallest such n is the
    // nearest to the exact quotient. Eight decimals always find one: a
    // millisecond is more than 10^-8 of a day.
    std::int64_t scale = 1;
    for (int decimals = 0;; ++decimals, scale *= 10) {
        const std::int64_t low = static_cast<std::int64_t>(milliseconds) * scale;
        const std::int64_t scaled = ceilDivide(low, factor);
        if (scaled * factor < low + scale) {
            return decimalText(scaled, decimals);
        }
    }
}

}  // namespace kyrvana
