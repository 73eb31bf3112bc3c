#include "core/hardware/well_settings.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

using Checks = std::array<bool, DisabledWells::kWells>;

struct MaskCase {
    Checks checks;
    std::uint8_t mask;
};

class DisabledWellsMaskTest : public testing::TestWithParam<MaskCase> {};

TEST_P(DisabledWellsMaskTest, SetsBitNMinusOneForWellN) {
    EXPECT_EQ(disabledWellsMask(GetParam().checks), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(Wells, DisabledWellsMaskTest,
                         testing::Values(MaskCase{{false, false, false, false, false, false}, 0x00},
                                         MaskCase{{true, false, true, false, false, true},
                                                  0x25},  // wells 1, 3, 6
                                         MaskCase{{false, false, false, false, false, true}, 0x20},
                                         MaskCase{{true, true, true, true, true, false}, 0x1F},
                                         MaskCase{{true, true, true, true, true, true}, 0x3F}));

TEST(ApplyDisabledWellsTest, StoresFlagsAndMaskForFiveWells) {
    DisabledWells wells;
    ASSERT_TRUE(applyDisabledWells({false, true, true, true, true, true}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(wells.mask, 0x3E);
}

TEST(ApplyDisabledWellsTest, RefusesAllSixAndKeepsTheOldValues) {
    DisabledWells wells;
    wells.flags = {1, 0, 0, 0, 0, 0};
    wells.mask = 0x01;
    EXPECT_FALSE(applyDisabledWells({true, true, true, true, true, true}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(wells.mask, 0x01);
}

TEST(ApplyDisabledWellsTest, ClearsWellsThatAreNoLongerChecked) {
    DisabledWells wells;
    wells.flags = {1, 1, 0, 0, 0, 7};  // a file may hold any non-zero byte
    wells.mask = 0x23;
    EXPECT_EQ(disabledWellChecks(wells), (Checks{true, true, false, false, false, true}));
    ASSERT_TRUE(applyDisabledWells({false, false, false, false, false, false}, wells));
    EXPECT_EQ(wells.flags, (std::array<std::uint8_t, 6>{}));
    EXPECT_EQ(wells.mask, 0);
}

}  // namespace
}  // namespace kyrvana
