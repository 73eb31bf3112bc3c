// The stimulator's command set against the simulator: each command's bytes as
// the device received them, and how each answer is read.

#include <gtest/gtest.h>

#include <algorithm>
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
    device_.putFile("DATA/T1.CSV", "abc");
    sim().writeEepromItem(1792, std::string(600, 's'));
    // Answers land here; only the bytes sent matter in this test.
    int n = 0;
    std::int64_t n64 = 0;
    double d = 0;
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
        bool repeatsPoll = false;  // a state poll that repeats until the motors stand
    } cases[] = {
        // clang-format off
        {"revision", [&](L& l) { return l.QueryRev(3, t); }, kOk, {"QueryRev(3)"}},
        {"revision 5 is never sent", [&](L& l) { return l.QueryRev(5, t); },
         DeviceFailure::Refused, {}},
        {"internal value", [&](L& l) { return l.QueryInternalValue(5, n); }, kOk,
         {"QueryInternalValue(5)"}},
        // The one command with a carriage return of its own.
        {"test state", [&](L& l) { return l.QueryTestState(n); }, kOk,
         {"QueryInternalValue(1)\r"}},
        {"pitch", [&](L& l) { return l.QueryUmPerUstep(4, d); }, kOk, {"QueryUmPerUstep(4)"}},
        {"control setting read", [&](L& l) { return l.GetEepromControlSettingsData(3, w); }, kOk,
         {"GetEepromControlSettingsData(0, 3)"}},
        {"control setting write", [&](L& l) { return l.SetEepromControlSettingsData(5, 6, 3); },
         kOk,
         {"SetEepromControlSettingsData(5, 6, 3)"}},
        {"take the sequence",
         [&](L& l) { return l.UpdateFromSDIni(L::kUpdateSourceEeprom, L::kUpdateTestSequence); },
         kOk, {"UpdateFromSDIni(2,0)"}},
        {"take the calibration",
         [&](L& l) { return l.UpdateFromSDIni(L::kUpdateSourceEeprom, L::kUpdateCalibration); },
         kOk, {"UpdateFromSDIni(2,1)"}},
        // A stored item: its length, then pieces of at most 256 bytes.
        {"eeprom item", [&](L& l) { return l.GetEepromData(1792, lines); }, kOk,
         {"GetEepromData(1792, 2)", "GetEepromData(1794, 256)", "GetEepromData(2050, 256)",
          "GetEepromData(2306, 88)"}},
        {"listing", [&](L& l) { return l.ListFilesOnSDCard(lines); }, kOk, {"ListFilesOnSDCard"}},
        {"volume", [&](L& l) { return l.QuerySDVolumeSizeKB(n64); }, kOk, {"QuerySDVolumeSizeKB"}},
        {"file open", [&](L& l) { return l.ReadFileOnSDCardFirst("DATA/T1.CSV", n64); }, kOk,
         {"ReadFileOnSDCardFirst(\"DATA/T1.CSV\")"}},
        {"file delete", [&](L& l) { return l.DeleteFileFromSDCard("DATA/T1.CSV"); }, kOk,
         {"DeleteFileFromSDCard(\"DATA/T1.CSV\")"}},
        {"positioning", [&](L& l) { return l.Positioning(2, L::kPositioningAbsolute, -320); }, kOk,
         {"Positioning(2,8,-320)"}},
        {"motors state", [&](L& l) { return l.GetMotorsState(n); }, kOk, {"GetMotorsState"}},
        {"motor position", [&](L& l) { return l.QueryMotorPos(1, n); }, kOk,
         {"QueryMotorPos(1)"}},
        {"homing", [&](L& l) { return l.Homing(); }, kOk, {"Homing"}},
        // Packed commands: 0x1C, the letter, the arguments.
        {"jog start", [&](L& l) { return l.JogMotor(3, 1, L::kJogSpeed); }, kOk,
         {"\x1CZ(3,1,7,0)"}},
        {"jog stop", [&](L& l) { return l.JogMotor(3, 1, 0); }, kOk,
         {"\x1CZ(3,1,0,0)", "GetMotorsState"}, true},
        {"packed read", [&](L& l) { return l.ReadDeviceWord(eeprom::kHomingDisabledWord, w); }, kOk,
         {"\x1CO(4348)"}},
        {"packed write", [&](L& l) { return l.SetInternalValue(49, 1); }, kOk, {"\x1Cw(49,1)"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim().clearReceivedCommands();
        EXPECT_EQ(c.call(link_).why(), c.result);
        Commands sent = sim().receivedCommands();
        if (c.repeatsPoll) {
            sent.erase(std::unique(sent.begin(), sent.end()), sent.end());
        }
        EXPECT_EQ(sent, c.sent);
    }
    EXPECT_EQ(sim().receivedGarbage(), "");
}

TEST_F(DeviceCommandsTest, AnswersAreReadAsTheDeviceMeansThem) {
    sim().setInternalValue(5, -12);

    int value = 0;
    EXPECT_TRUE(link_.QueryInternalValue(5, value));
    EXPECT_EQ(value, -12);

    // 32-bit values come least significant byte first.
    ASSERT_TRUE(link_.SetEepromControlSettingsData(0, 3, 0x01020304u));
    std::uint32_t word = 0;
    EXPECT_TRUE(link_.GetEepromControlSettingsData(3, word));
    EXPECT_EQ(word, 0x01020304u);
    EXPECT_TRUE(link_.SetInternalValue(48, 1));
    EXPECT_TRUE(link_.ReadDeviceWord(eeprom::kHomingDisabledWord, word));
    EXPECT_EQ(word, 1u);

    ASSERT_TRUE(link_.Positioning(4, DeviceLink::kPositioningAbsolute, -640));
    EXPECT_TRUE(link_.WaitMotorsIdle());
    int position = 0;
    EXPECT_TRUE(link_.QueryMotorPos(4, position));
    EXPECT_EQ(position, -640);
    int state = -1;
    EXPECT_TRUE(link_.GetMotorsState(state));
    EXPECT_EQ(state, 0);

    ASSERT_TRUE(link_.JogMotor(0, 0, DeviceLink::kJogSpeed));
    EXPECT_TRUE(sim().motorsMoving());
    ASSERT_TRUE(link_.JogMotor(0, 0, 0));
    EXPECT_FALSE(sim().motorsMoving());
}

TEST_F(DeviceCommandsTest, AFailedQueryLeavesTheCallersValue) {
    sim().addFault({sim::SimulatorFault::Kind::NoAnswer, "", 0});
    link_.serial.setReadTimeoutMs(50);
    int value = 42;
    double pitch = 0.25;
    std::uint32_t word = 7;
    std::string text = "kept";
    Commands lines{"kept"};
    // Each failure is the time-out of the exchange that was not answered.
    const std::vector<std::pair<DeviceResult, std::string>> failures = {
        {link_.QueryInternalValue(6, value), "QueryInternalValue(6)"},
        {link_.QueryUmPerUstep(0, pitch), "QueryUmPerUstep(0)"},
        {link_.GetEepromControlSettingsData(3, word), "GetEepromControlSettingsData(0, 3)"},
        {link_.ReadDeviceWord(4348, word), "\x1CO(4348)"},
        {link_.QueryRev(0, text), "QueryRev(0)"},
        {link_.ListFilesOnSDCard(lines), "ListFilesOnSDCard"},
        {link_.GetMotorsState(value), "GetMotorsState"},
        {link_.QueryMotorPos(0, value), "QueryMotorPos(0)"},
        {link_.QueryTestState(value), "QueryInternalValue(1)\r"},
    };
    for (const auto& [result, command] : failures) {
        EXPECT_EQ(result.why(), DeviceFailure::Timeout) << command;
        EXPECT_EQ(result.command(), command);
    }
    EXPECT_EQ(value, 42);
    EXPECT_EQ(pitch, 0.25);
    EXPECT_EQ(word, 7u);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(lines, Commands{"kept"});
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);
}

}  // namespace
}  // namespace kyrvana
