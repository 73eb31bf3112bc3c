#include "core/device/revision_texts.h"

#include <gtest/gtest.h>

#include <limits>

namespace kyrvana {
namespace {

TEST(RevisionTextsTest, FirmwareRevisionTimesAThousandRoundedDown) {
    const struct {
        const char* text;
        int revision;
    } cases[] = {
        {"Firmware REV 4.59", 4590},  // 4.59 * 1000 must not come out as 4589
        {"Firmware REV 4.58", 4580},
        {"firmware rev 4.60", 4600},  // the keyword in any case
        {"REV4.625", 4625},           // whatever follows the keyword's third character
        {"Firmware 4.60", 1000},      // no keyword: unknown
        {"", 1000},
        {"Firmware REV", 0},                                   // keyword, but no number behind it
        {"Firmware REV 4.5999999", 4599},                      // cut to 9 characters: " 4.599999"
        {"REV 99999999999", std::numeric_limits<int>::max()},  // saturates
    };
    for (const auto& c : cases) {
        EXPECT_EQ(firmwareRevisionFromText(c.text), c.revision) << c.text;
    }
}

TEST(RevisionTextsTest, HardwareRevisionRoundedDown) {
    const struct {
        const char* text;
        int revision;
    } cases[] = {
        {"Hardware = 2.00", 2},  {"Main board HARDWARE : 3.75", 3},
        {"hardware = 12.9", 12}, {"Board 2.00", 1000},
        {"HARDWARE", 0},         {"Hardware = -1.5", -2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hardwareRevisionFromText(c.text), c.revision) << c.text;
    }
}

}  // namespace
}  // namespace kyrvana
