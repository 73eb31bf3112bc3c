// Positions, forces and move targets of the Move to Position dialog and the
// load cell calibration's 2 mm move.

#include "core/hardware/actuator_arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kyrvana {
namespace {

constexpr std::uint8_t kP7 = 0;
constexpr std::uint8_t kP7b = 1;
constexpr std::uint8_t kQ3 = 2;

TEST(ActuatorArithmetic, PositionIsMinusTheStepsRoundedToAMicrometre) {
    EXPECT_EQ(positionMm(6400, 0.15625), -1.0);
    EXPECT_EQ(positionMm(-6400, 0.15625), 1.0);
    // Half a micrometre rounds away from zero, both ways.
    EXPECT_EQ(positionMm(-1, 0.5), 0.001);
    EXPECT_EQ(positionMm(1, 0.5), -0.001);
    EXPECT_EQ(positionMm(-1, 0.4), 0.0);
    EXPECT_DOUBLE_EQ(positionMm(-12345, 0.15625), 1.929);  // 1.92890625 mm
}

TEST(ActuatorArithmetic, ForceIsTheRawDistanceFromZeroTimesTheGain) {
    EXPECT_DOUBLE_EQ(forceNewtons(1500.0, 1000, 0.001), 0.5);
    EXPECT_DOUBLE_EQ(forceNewtons(900.0, 1000, 0.001), -0.1);
    EXPECT_EQ(forceNewtons(65535.0, 0, 0.0), 0.0);
}

TEST(ActuatorArithmetic, RelativeTargetsForBothModels) {
    const struct {
        const char* what;
        int current;
        double amountMm;
        double umPerUstep;
        std::uint8_t type;
        int target;
    } cases[] = {
        {"Q3 retracts: +1 mm is fewer steps", 1000, 1.0, 0.5, kQ3, -1000},
        {"P7 extends: +1 mm is more steps", 1000, 1.0, 0.5, kP7, 3000},
        {"type 1 is a P7 too", 1000, 1.0, 0.5, kP7b, 3000},
        {"0.7 of a step is cut off", 500, 0.0007, 1.0, kP7, 500},
        {"1.5 steps up become 1", 0, 0.0015, 1.0, kP7, 1},
        // Toward zero, not down: -1.5 steps become -1.
        {"1.5 steps down become -1", 0, 0.0015, 1.0, kQ3, -1},
        // 1.001 x 1000 is 1000.9999999999999 in binary: the typed digits count.
        {"1.001 mm on a 1 um pitch", 0, 1.001, 1.0, kP7, 1001},
        {"the 2 mm calibration move of a Q3", 0, kCalibrationMoveMm, 0.15625, kQ3, -12800},
        // A pitch the device never told cannot give a distance: stay.
        {"pitch 0", 1000, 1.0, 0.0, kP7, 1000},
        {"beyond the range saturates", 0, 1e12, 0.001, kP7, std::numeric_limits<int>::max()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(relativeMoveTarget(c.current, c.amountMm, c.umPerUstep, c.type), c.target)
            << c.what;
    }
}

}  // namespace
}  // namespace kyrvana
