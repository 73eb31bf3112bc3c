// The speed and time left shown beside the download's progress bar.

#include "core/sdcard/transfer_rate.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

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

}  // namespace
}  // namespace kyrvana
