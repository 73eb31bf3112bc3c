#include "core/common/shortest_number_text.h"

#include <cmath>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

// Enough decimals for the smallest value any field shows in practice; values
// finer still fall back to 17 significant digits, which always read back.
constexpr int kMostDecimals = 30;

template <typename Number>
std::string shortestText(Number value) {
    if (!std::isfinite(value)) {
        return cFormat("%g", static_cast<double>(value));
    }
    for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
        std::string text = cFormat("%.*f", decimals, static_cast<double>(value));
        if (static_cast<Number>(cAtof(text)) == value) {
            return text;
        }
    }
    return cFormat("%.17g", static_cast<double>(value));
}

}  // namespace

std::string shortestNumberText(double value) {
    return shortestText(value);
}

std::string shortestSingleText(float value) {
    return shortestText(value);
}

}  // namespace kyrvana
