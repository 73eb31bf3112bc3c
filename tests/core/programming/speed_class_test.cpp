// The speed class the control settings carry, at the boundaries of its bands.

#include "core/programming/speed_class.h"

#include <gtest/gtest.h>

#include "core/programming/control_settings.h"

namespace kyrvana {
namespace {

struct SpeedCase {
    std::uint8_t waveform;
    std::int32_t magnitude;  // micrometres, in one well
    std::uint32_t loadMs;
    int expectedClass;
};

class SpeedClassTest : public testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedClassTest, FastestWellDecides) {
    const SpeedCase& c = GetParam();
    DeviceSetTable table;
    DeviceSetRecord& slow = table.entries[0];
    slow.repetitions = 1;
    slow.loadDurationMs = 10000;
    slow.magnitude.fill(100);  // 0.01 mm/s
    DeviceSetRecord& fast = table.entries[1];
    fast.repetitions = 3;
    fast.waveform = c.waveform;
    fast.loadDurationMs = c.loadMs;
    fast.magnitude[4] = c.magnitude;
    EXPECT_EQ(speedClass(table), c.expectedClass);
}

INSTANTIATE_TEST_SUITE_P(Bands, SpeedClassTest,
                         testing::Values(
                             // Ramps: 3 below 1.0 mm/s, 2 below 2.0, else 1.
                             SpeedCase{0, 999, 1000, 3}, SpeedCase{0, 1000, 1000, 2},
                             SpeedCase{0, 1999, 1000, 2}, SpeedCase{0, 2000, 1000, 1},
                             // Every other waveform: 3 below 0.6, 2 below 1.2, else 1.
                             SpeedCase{4, 599, 1000, 3}, SpeedCase{4, 600, 1000, 2},
                             SpeedCase{4, 800, 1000, 2}, SpeedCase{1, 1199, 1000, 2},
                             SpeedCase{255, 1200, 1000, 1},
                             // Negative magnitudes are negative speeds; a phase of no length moves
                             // at once.
                             SpeedCase{0, -5000, 1000, 3}, SpeedCase{4, 1, 0, 1},
                             SpeedCase{4, -1, 0, 3}, SpeedCase{4, 0, 0, 3}));

TEST(SpeedClassTest, EntriesAfterTheEndOfTheTableDoNotCount) {
    DeviceSetTable table;
    table.entries[0].repetitions = 1;
    table.entries[0].loadDurationMs = 1000;
    table.entries[2].repetitions = 1;
    table.entries[2].loadDurationMs = 1;
    table.entries[2].magnitude.fill(5000);
    EXPECT_EQ(speedClass(table), 3);
}

TEST(ControlSettingsTest, ValuesInIndexOrder) {
    EXPECT_EQ(controlSettingValues(111.0f, 7, 2),
              (std::array<unsigned, 7>{1, 333, 4, 7, 100, 10, 2}));
    EXPECT_EQ(controlSettingValues(22.7f, 10, 1)[1], 68u);  // 68.1 cut
    EXPECT_EQ(controlSettingValues(-4.0f, 1, 3)[1], 0u);
}

}  // namespace
}  // namespace kyrvana
