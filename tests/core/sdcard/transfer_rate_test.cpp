// The speed and time left shown beside the download's progress bar.

#include "core/sdcard/transfer_rate.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kyrvana {
namespace {

using std::chrono::milliseconds;

TEST(TransferRateText, SpeedInKilobytesAndTimeLeftRoundedUp) {
    struct Case {
        double bytesPerSecond;
        std::int64_t remaining;
        const char* text;
    };
    for (const Case& c : {Case{812000, 812000 * 42, "812 kB/s, 0:42 left"},
                          Case{812000, 812000 * 42 + 1, "812 kB/s, 0:43 left"},
                          Case{1000, 1000 * 3600, "1 kB/s, 1:00:00 left"},
                          // A stalled transfer has no time left to give.
                          Case{0, 5000, "0 kB/s"},
                          // Days of waiting are not worth a figure beyond 99 hours.
                          Case{1, 1000000000, "0 kB/s, 99:59:59 left"}}) {
        EXPECT_EQ(transferRateText(c.bytesPerSecond, c.remaining), c.text)
            << c.bytesPerSecond << " " << c.remaining;
    }
}

TEST(TransferRate, WaitsForAFirstIntervalThenSmoothsChangesOfPace) {
    const TransferRate::Clock::time_point start{};
    TransferRate rate;
    rate.restart(start);
    rate.update(100000, 1000000, start + milliseconds(100));
    EXPECT_FALSE(rate.bytesPerSecond());
    EXPECT_EQ(rate.text(), "");

    // 1000 kB/s over the first second.
    rate.update(1000000 / 2, 1000000, start + milliseconds(500));
    ASSERT_TRUE(rate.bytesPerSecond());
    EXPECT_DOUBLE_EQ(*rate.bytesPerSecond(), 1000000.0);
    EXPECT_EQ(rate.text(), "1000 kB/s, 0:01 left");

    // The pace halves for half a second: the figure moves towards it, but
    // only part of the way.
    rate.update(750000, 1000000, start + milliseconds(1000));
    EXPECT_LT(*rate.bytesPerSecond(), 1000000.0);
    EXPECT_GT(*rate.bytesPerSecond(), 750000.0);
    // Samples closer together than the interval wait for the next one.
    const double before = *rate.bytesPerSecond();
    rate.update(760000, 1000000, start + milliseconds(1100));
    EXPECT_EQ(*rate.bytesPerSecond(), before);

    rate.restart(start + milliseconds(2000));
    EXPECT_FALSE(rate.bytesPerSecond());
}

}  // namespace
}  // namespace kyrvana
