#include "core/hardware/actuator_arithmetic.h"

#include <cmath>

#include "core/common/decimal_text.h"
#include "core/common/saturating_cast.h"

namespace kyrvana {

double positionMm(int steps, double umPerUstep) {
    return std::round(((steps * -1.0 * umPerUstep) / 1000.0) * 1000.0) / 1000.0;
}

double forceNewtons(double raw, std::uint16_t zero, double gain) {
    return (raw - zero) * gain;
}

double moveSign(std::uint8_t hardwareType) {
    return stretches(hardwareType) ? 1.0 : -1.0;
}

int relativeMoveTarget(int current, double amountMm, double umPerUstep, std::uint8_t hardwareType) {
    // The amount was typed in mm as a decimal. Its double times 1000 can land
    // just below the micrometres typed (1.001 x 1000 = 1000.9999999999999),
    // and the cut to whole microsteps would then lose a step the user asked
    // for; the micrometres come from the typed digits instead.
    const double micrometres = timesAsDouble(decimalOf(amountMm), 1000);
    const double offset = micrometres * moveSign(hardwareType) * -1.0 / umPerUstep;
    if (amountMm == 0.0 || !std::isfinite(offset)) {
        return current;
    }
    return saturatingCast<int>(current + offset);
}

}  // namespace kyrvana
