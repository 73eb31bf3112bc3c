#pragma once

// Conversions from floating point to integers that never invoke undefined
// behaviour: values beyond the target type's range saturate at its limits,
// NaN gives 0, and fractions are cut toward zero as a C cast would.

#include <cmath>
#include <concepts>
#include <limits>

namespace kyrvana {

template <std::integral Int>
constexpr Int saturatingCast(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // Compare against the limits as doubles; the upper limit of 64-bit types is
    // not representable, so use >= on the first value past it.
    constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::lowest());
    constexpr double pastHighest = static_cast<double>(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
    if (value <= lowest) {
        return std::numeric_limits<Int>::lowest();
    }
    if (value >= pastHighest) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(value);
}

// Rounds down (toward minus infinity) and saturates: -200.5 -> -201.
template <std::integral Int>
Int saturatingFloor(double value) {
    return saturatingCast<Int>(std::floor(value));
}

}  // namespace kyrvana
