#include "core/hardware/actuator_arithmetic.h"

#include <cmath>

#include "core/common/saturating_cast.h"

namespace kyrvana {

double positionMm(int steps, double umPerUstep) {
    return std::round(((steps * -1.0 * umPerUstep) / 1000.0) * 1000.0) / 1000.0;
}

double forceNewtons(double raw, std::uint16_t zero, double gain) {
    return (raw - zero) * gain;
}

double moveSign(std::uint8_t hardwareType) {
    return hardwareType == kRetractingHardwareType ? 1.0 : -1.0;
}

int relativeMoveTarget(int current, double amountMm, double umPerUstep, std::uint8_t hardwareType) {
    const double offset = amountMm * moveSign(hardwareType) * -1.0 * 1000.0 / umPerUstep;
    if (amountMm == 0.0 || !std::isfinite(offset)) {
        return current;
    }
    return saturatingCast<int>(current + offset);
}

}  // namespace kyrvana
