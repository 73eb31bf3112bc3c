#include "core/hardware/well_settings.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

using Checks = std::array<bool, DisabledWells::kWells>;

// Well N is bit N - 1 of the mask the device takes; all six cannot be
// disabled, and such a choice keeps the old values.
TEST(ApplyDisabledWellsTest, StoresFlagsAndMaskForUpToFiveWells) {
    DisabledWells wells;
    ASSERT_TRUE(applyDisabledWells({false, true, true, true, true, true}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(wells.mask, 0x3E);
    EXPECT_FALSE(applyDisabledWells({true, true, true, true, true, true}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(wells.mask, 0x3E);

    wells.flags = {1, 1, 0, 0, 0, 7};  // a file may hold any non-zero byte
    EXPECT_EQ(disabledWellChecks(wells), (Checks{true, true, false, false, false, true}));
    ASSERT_TRUE(applyDisabledWells({true, false, true, false, false, false}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(wells.mask, 0x05);
}

}  // namespace
}  // namespace kyrvana
