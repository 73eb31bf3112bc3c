#include "core/editor/field_numbers.h"

#include <array>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"
#include "core/protocol/enumeration_texts.h"

namespace kyrvana {
namespace {

// Enough decimals for a millisecond in days, and for every value the editor
// shows; anything finer falls back to 17 significant digits.
constexpr int kMostDecimals = 30;

template <typename ReadsBack>
std::string shortestText(const std::array<double, 3>& candidates, const ReadsBack& readsBack) {
    for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
        for (const double candidate : candidates) {
            std::string text = cFormat("%.*f", decimals, candidate);
            if (readsBack(text)) {
                return text;
            }
        }
    }
    return cFormat("%.17g", candidates[0]);
}

}  // namespace

double fieldNumber(std::string_view text) {
    const double value = cAtof(text);
    return std::isfinite(value) ? value : 0.0;
}

double millisecondsPerTimeUnit(std::string_view word) {
    return kyrvana::millisecondsPerTimeUnit(parseTimeUnits(word));
}

double fieldMilliseconds(std::string_view text, std::string_view word) {
    return fieldNumber(text) * millisecondsPerTimeUnit(word);
}

std::int32_t savedMilliseconds(double milliseconds) {
    return saturatingFloor<std::int32_t>(milliseconds);
}

std::string shortestNumberText(double value) {
    return shortestText({value, value, value},
                        [value](const std::string& text) { return cAtof(text) == value; });
}

std::string durationFieldText(std::int32_t milliseconds, std::string_view word) {
    const double shown = milliseconds / millisecondsPerTimeUnit(word);
    // The nearest double to the quotient may multiply back to just below the
    // whole millisecond; its neighbours then do not.
    const std::array<double, 3> candidates = {shown, std::nextafter(shown, HUGE_VAL),
                                              std::nextafter(shown, -HUGE_VAL)};
    return shortestText(candidates, [&](const std::string& text) {
        return savedMilliseconds(fieldMilliseconds(text, word)) == milliseconds;
    });
}

}  // namespace kyrvana
