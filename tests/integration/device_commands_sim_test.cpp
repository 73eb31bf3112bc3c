// The stimulator's command set against the simulator: the bytes of the
// commands no round trip elsewhere pins down, and how answers are read. The
// commands that identification, programming, moves and the SD card send are
// checked exactly in those tests' traffic.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/sim_link.h"

namespace kyrvana {
namespace {

using Commands = std::vector<std::string>;

class DeviceCommandsTest : public test_support::SimLinkTest<> {};

TEST_F(DeviceCommandsTest, EachCommandLeavesAsItsExactBytes) {
    sim().writeEepromItem(1792, std::string(600, 's'));
    // Answers land here; only the bytes sent matter in this test.
    std::int64_t n64 = 0;
    std::uint32_t w = 0;
    std::string t;
    Commands lines;
    using L = DeviceLink;
    constexpr DeviceFailure kOk = DeviceFailure::None;
    const struct {
        const char* name;
        std::function<DeviceResult(DeviceLink&)> call;
        DeviceFailure result;
        Commands sent;
    } cases[] = {
        // clang-format off
        {"revision 5 is never sent", [&](L& l) { return l.QueryRev(5, t); },
         DeviceFailure::Refused, {}},
        {"control setting read", [&](L& l) { return l.GetEepromControlSettingsData(3, w); }, kOk,
         {"GetEepromControlSettingsData(0, 3)"}},
        // A stored item: its length, then pieces of at most 256 bytes.
        {"eeprom item", [&](L& l) { return l.GetEepromData(1792, lines); }, kOk,
         {"GetEepromData(1792, 2)", "GetEepromData(1794, 256)", "GetEepromData(2050, 256)",
          "GetEepromData(2306, 88)"}},
        {"listing", [&](L& l) { return l.ListFilesOnSDCard(lines); }, kOk, {"ListFilesOnSDCard"}},
        {"volume", [&](L& l) { return l.QuerySDVolumeSizeKB(n64); }, kOk, {"QuerySDVolumeSizeKB"}},
        {"homing", [&](L& l) { return l.Homing(); }, kOk, {"Homing"}},
        // Packed commands: 0x1C, the letter, the arguments.
        {"packed read", [&](L& l) { return l.ReadDeviceWord(eeprom::kHomingDisabledWord, w); }, kOk,
         {"\x1CO(4348)"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim().clearReceivedCommands();
        EXPECT_EQ(c.call(link_).why(), c.result);
        EXPECT_EQ(sim().receivedCommands(), c.sent);
    }
    EXPECT_EQ(sim().receivedGarbage(), "");
}

TEST_F(DeviceCommandsTest, WordsComeLeastSignificantByteFirst) {
    ASSERT_TRUE(link_.SetEepromControlSettingsData(0, 3, 0x01020304u));
    std::uint32_t word = 0;
    EXPECT_TRUE(link_.GetEepromControlSettingsData(3, word));
    EXPECT_EQ(word, 0x01020304u);
}

}  // namespace
}  // namespace kyrvana
