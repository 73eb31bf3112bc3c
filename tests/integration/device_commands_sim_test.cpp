// The stimulator's command set against the simulator: each command's bytes as
// the device received them, and how each answer is read.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/device/device_link.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;

class DeviceCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
        link_.portName = device_.portPath();
        ASSERT_EQ(link_.OpenPort(), SerialOk);
        link_.serial.setReadTimeoutMs(300);
    }

    sim::SimulatedStimulator& sim() { return device_.sim(); }

    test::LogCapture log_;
    test_support::RunningSimulator device_;
    DeviceLink link_;
};

TEST_F(DeviceCommandsTest, EachCommandLeavesAsItsExactBytes) {
    device_.putFile("DATA/T1.CSV", "abc");
    // Answers land here; only the bytes sent matter in this test.
    int n = 0;
    double d = 0;
    std::uint32_t w = 0;
    std::string t;
    Commands lines;
    using L = DeviceLink;
    const struct {
        const char* name;
        std::function<int(DeviceLink&)> call;
        int result;
        Commands sent;
        bool repeatsPoll = false;  // a state poll that repeats until the motors stand
    } cases[] = {
        // clang-format off
        {"revision", [&](L& l) { return l.QueryRev(3, t); }, 0, {"QueryRev(3)"}},
        {"revision 5 is never sent", [&](L& l) { return l.QueryRev(5, t); }, 1, {}},
        {"internal value", [&](L& l) { return l.QueryInternalValue(5, n); }, 0,
         {"QueryInternalValue(5)"}},
        // The one command with a carriage return of its own.
        {"test state", [&](L& l) { return l.QueryTestState(n) ? 0 : 1; }, 0,
         {"QueryInternalValue(1)\r"}},
        {"pitch", [&](L& l) { return l.QueryUmPerUstep(4, d); }, 0, {"QueryUmPerUstep(4)"}},
        {"control setting read", [&](L& l) { return l.GetEepromControlSettingsData(3, w); }, 0,
         {"GetEepromControlSettingsData(0, 3)"}},
        {"control setting write", [&](L& l) { return l.SetEepromControlSettingsData(5, 6, 3); }, 0,
         {"SetEepromControlSettingsData(5, 6, 3)"}},
        {"take the sequence",
         [&](L& l) { return l.UpdateFromSDIni(L::kUpdateSourceEeprom, L::kUpdateTestSequence); },
         0, {"UpdateFromSDIni(2,0)"}},
        {"take the calibration",
         [&](L& l) { return l.UpdateFromSDIni(L::kUpdateSourceEeprom, L::kUpdateCalibration); },
         0, {"UpdateFromSDIni(2,1)"}},
        {"listing", [&](L& l) { return l.ListFilesOnSDCard(lines); }, 0, {"ListFilesOnSDCard"}},
        {"volume", [&](L& l) { return l.QuerySDVolumeSizeKB(n); }, 0, {"QuerySDVolumeSizeKB"}},
        {"file open", [&](L& l) { return l.ReadFileOnSDCardFirst("DATA/T1.CSV", n); }, 0,
         {"ReadFileOnSDCardFirst(\"DATA/T1.CSV\")"}},
        {"file delete", [&](L& l) { return l.DeleteFileFromSDCard("DATA/T1.CSV"); }, 0,
         {"DeleteFileFromSDCard(\"DATA/T1.CSV\")"}},
        {"positioning", [&](L& l) { return l.Positioning(2, L::kPositioningAbsolute, -320); }, 0,
         {"Positioning(2,8,-320)"}},
        {"motors state", [&](L& l) { return l.GetMotorsState(n); }, 1, {"GetMotorsState"}},
        {"motor position", [&](L& l) { return l.QueryMotorPos(1, n); }, 1, {"QueryMotorPos(1)"}},
        {"homing", [&](L& l) { return l.Homing(); }, 0, {"Homing"}},
        // Packed commands: 0x1C, the letter, the arguments.
        {"jog start", [&](L& l) { return l.JogMotor(3, 1, L::kJogSpeed); }, 0, {"\x1CZ(3,1,7,0)"}},
        {"jog stop", [&](L& l) { return l.JogMotor(3, 1, 0); }, 0,
         {"\x1CZ(3,1,0,0)", "GetMotorsState"}, true},
        {"packed read", [&](L& l) { return l.ReadDeviceWord(L::kHomingDisabledAddress, w); }, 0,
         {"\x1CO(4348)"}},
        {"packed write", [&](L& l) { return l.SetInternalValue(49, 1); }, 0, {"\x1Cw(49,1)"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim().clearReceivedCommands();
        EXPECT_EQ(c.call(link_), c.result);
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
    device_.putFile("DATA/T0001.CSV", std::string(1500, 'x'));

    int value = 0;
    EXPECT_EQ(link_.QueryInternalValue(5, value), 0);
    EXPECT_EQ(value, -12);

    // 32-bit values come least significant byte first.
    ASSERT_EQ(link_.SetEepromControlSettingsData(0, 3, 0x01020304u), 0);
    std::uint32_t word = 0;
    EXPECT_EQ(link_.GetEepromControlSettingsData(3, word), 0);
    EXPECT_EQ(word, 0x01020304u);
    EXPECT_EQ(link_.SetInternalValue(48, 1), 0);
    EXPECT_EQ(link_.ReadDeviceWord(DeviceLink::kHomingDisabledAddress, word), 0);
    EXPECT_EQ(word, 1u);

    EXPECT_EQ(link_.QuerySDVolumeSizeKB(value), 0);
    EXPECT_EQ(value, 7741440);
    Commands listing;
    EXPECT_EQ(link_.ListFilesOnSDCard(listing), 0);
    EXPECT_FALSE(listing.empty());

    int size = 0;
    ASSERT_EQ(link_.ReadFileOnSDCardFirst("DATA/T0001.CSV", size), 0);
    EXPECT_EQ(size, 1500);
    char chunk[1024];
    int count = 0;
    EXPECT_EQ(link_.ReadFileOnSDCardNext(chunk, 1024, count), 0);
    EXPECT_EQ(count, 1024);
    EXPECT_EQ(link_.ReadFileOnSDCardNext(chunk, 476, count), 0);
    EXPECT_EQ(std::string(chunk, 476), std::string(476, 'x'));

    ASSERT_EQ(link_.Positioning(4, DeviceLink::kPositioningAbsolute, -640), 0);
    EXPECT_EQ(link_.WaitMotorsIdle(), 1);
    int position = 0;
    EXPECT_EQ(link_.QueryMotorPos(4, position), 1);
    EXPECT_EQ(position, -640);
    int state = -1;
    EXPECT_EQ(link_.GetMotorsState(state), 1);
    EXPECT_EQ(state, 0);

    ASSERT_EQ(link_.JogMotor(0, 0, DeviceLink::kJogSpeed), 0);
    EXPECT_TRUE(sim().motorsMoving());
    ASSERT_EQ(link_.JogMotor(0, 0, 0), 0);
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
    EXPECT_EQ(link_.QueryInternalValue(6, value), 1);
    EXPECT_EQ(link_.QueryUmPerUstep(0, pitch), 1);
    EXPECT_EQ(link_.GetEepromControlSettingsData(3, word), 1);
    EXPECT_EQ(link_.ReadDeviceWord(4348, word), 1);
    EXPECT_EQ(link_.QueryRev(0, text), 1);
    EXPECT_EQ(link_.ListFilesOnSDCard(lines), 1);
    EXPECT_EQ(link_.GetMotorsState(value), -1);
    EXPECT_EQ(link_.QueryMotorPos(0, value), -1);
    EXPECT_FALSE(link_.QueryTestState(value));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(pitch, 0.25);
    EXPECT_EQ(word, 7u);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(lines, Commands{"kept"});
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);
}

}  // namespace
}  // namespace kyrvana
