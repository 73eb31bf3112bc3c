// The simulator over a real pseudo-terminal: the answer forms, recording,
// internal values, the motors and the load cells. The EEPROM item transfer
// and the motors as the program drives them are checked over the program's
// own link in the integration tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "sim_test_helpers.h"
#include "support/wait_until.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

using SimulatorExchange = SimulatorPortTest;

struct Exchange {
    std::string command;
    std::string answer;  // exact bytes; nothing may follow them
};

TEST_F(SimulatorExchange, AnswersEachCommandInItsFormExactly) {
    const std::vector<Exchange> exchanges = {
        {"QueryRev(2)", "Firmware REV 4.60\r"},
        {"QueryInternalValue(1)\r", "0\r"},
        {"QueryInternalValue(6)", "0\r"},
        {"QueryUmPerUstep(3)", "0.156250\r"},
        {"QuerySDVolumeSizeKB", "7741440\r"},
        {"GetEepromData(4112, 6)", "\x04\x00Test"s},
        {"GetEepromData(4096, 6)",
         "\x04\x00"
         "0001"s},
        {"GetEepromData(8190, 4)", "\xFF\xFF\xFF\xFF"},  // past the end: erased cells
        {"GetEepromControlSettingsData(0, 3)", "\x07\x00\x00\x00"s},
        {"\x1CO(4348)", "\x00\x00\x00\x00"s},
        {"SetEepromControlSettingsData(2, 1, 70000)", "OK\r"},
        {"GetEepromControlSettingsData(2, 1)", "\x70\x11\x01\x00"s},
        {"Homing", "OK\r"},
        {"QueryRev(9)", "ERROR\r"},
        {"QueryInternalValue(-1)", "ERROR\r"},
        {"Positioning(6,8,0)", "ERROR\r"},
        {"QueryRev(1,)", "ERROR\r"},             // a number missing
        {"SetEepromData(-5,\"t\")", "ERROR\r"},  // the minus is read
        // Packed writes set internal values that read back either way.
        {"\x1Cw(49,5)", "OK\r"},
        {"QueryInternalValue(49)", "5\r"},
        {"\x1Cw(48,1)", "OK\r"},
        {"\x1CO(4348)", "\x01\x00\x00\x00"s},
    };
    for (const Exchange& e : exchanges) {
        ASSERT_TRUE(port().send(e.command));
        EXPECT_EQ(port().readExact(e.answer.size()), e.answer) << e.command;
        EXPECT_EQ(port().readQuiet(20ms), "") << e.command;
    }
}

// Mean of ten raw samples, as the program averages a load cell.
int meanRawSample(RawPort& port, int well) {
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        sum += cAtoi(port.ask(cFormat("QueryInternalValue(%d)", 10 + well)));
    }
    return sum / 10;
}

TEST_F(SimulatorExchange, LoadCellFollowsPositionOutsideForceAndCalibration) {
    const int zero = cAtoi(port().ask("QueryInternalValue(70)"));
    EXPECT_EQ(meanRawSample(port(), 0), zero);

    // 1 mm of travel on a 0.8 N/mm membrane, 111/32000 N per count: 231 counts.
    ASSERT_EQ(port().ask("Positioning(0,8,6400)"), "OK\r");
    ASSERT_TRUE(test_support::waitUntil([&] { return port().ask("GetMotorsState") == "0\r"; }));
    EXPECT_EQ(meanRawSample(port(), 0), zero + 231);

    sim().setAppliedForce(0, 1.11);  // +320 counts
    EXPECT_EQ(meanRawSample(port(), 0), zero + 551);

    // A new calibration (half the gain) doubles the counts once taken over.
    std::string calibration = sim().eepromItem(eeprom::kCalibration);
    calibration.replace(calibration.find("0.00346875"), 10, "0.001734375");
    sim().writeEepromItem(eeprom::kCalibration, calibration);
    EXPECT_EQ(meanRawSample(port(), 0), zero + 551);
    EXPECT_EQ(port().ask("UpdateFromSDIni(2,1)"), "OK\r");
    EXPECT_EQ(meanRawSample(port(), 0), zero + 1101);
}

class SlowMotors : public SimulatorPortTest {
  protected:
    static sim::SimulatorOptions slow() {
        sim::SimulatorOptions options;
        options.motorSpeed = 4000.0;  // 1600 microsteps take 0.4 s
        return options;
    }
    SlowMotors() : SimulatorPortTest(slow()) {}
};

TEST_F(SlowMotors, PositioningTakesTimeAndEndsOnTarget) {
    ASSERT_EQ(port().ask("Positioning(2,8,-1600)"), "OK\r");
    EXPECT_EQ(port().ask("GetMotorsState"), "4\r");
    EXPECT_TRUE(test_support::waitUntil([&] { return port().ask("GetMotorsState") == "0\r"; }));
    EXPECT_EQ(port().ask("QueryMotorPos(2)"), "-1600\r");

    ASSERT_EQ(port().ask("Homing"), "OK\r");
    EXPECT_NE(port().ask("GetMotorsState"), "0\r");
    EXPECT_TRUE(test_support::waitUntil([&] { return port().ask("GetMotorsState") == "0\r"; }));
    EXPECT_EQ(port().ask("QueryMotorPos(2)"), "0\r");
}

TEST_F(SlowMotors, JogRunsUntilStopped) {
    ASSERT_EQ(port().ask("\x1CZ(1,0,7,0)"), "OK\r");
    EXPECT_TRUE(
        test_support::waitUntil([&] { return cAtoi(port().ask("QueryMotorPos(1)")) < -100; }));
    EXPECT_EQ(port().ask("GetMotorsState"), "2\r");
    // The stop always carries direction 1.
    ASSERT_EQ(port().ask("\x1CZ(1,1,0,0)"), "OK\r");
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
    const std::string stoppedAt = port().ask("QueryMotorPos(1)");
    EXPECT_EQ(port().ask("QueryMotorPos(1)"), stoppedAt);
    EXPECT_LT(cAtoi(stoppedAt), -100);
}

}  // namespace
}  // namespace kyrvana::sim_tests
