// Moving, jogging and calibrating the wells of the simulated stimulator: the
// commands as the device received them, and what the program reads back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/hardware/actuator_arithmetic.h"
#include "core/hardware/load_cell_calibration.h"
#include "core/hardware/well_motion.h"
#include "support/sim_link.h"

namespace kyrvana {
namespace {

using Commands = std::vector<std::string>;

sim::SimulatorOptions WithHardwareType(int type) {
    sim::SimulatorOptions options;
    options.hardwareType = type;
    options.motorSpeed = 1e7;  // moves end almost at once
    return options;
}

class HardwareSimTest : public test_support::SimLinkTest<testing::TestWithParam<int>> {
  protected:
    HardwareSimTest() : SimLinkTest(WithHardwareType(GetParam())) {}

    void SetUp() override {
        SimLinkTest::SetUp();
        link_.serial.setReadTimeoutMs(500);
        link_.hardwareType = static_cast<std::uint8_t>(GetParam());
        link_.umPerUstep.fill(0.5);
    }

    static bool IsQ3() { return GetParam() == kHardwareTypeQ3; }

    // Puts well `well` at `steps` and forgets the commands that took it there.
    void Place(int well, int steps) {
        ASSERT_TRUE(link_.Positioning(well, 8, steps));
        ASSERT_TRUE(link_.WaitMotorsIdle());
        sim().clearReceivedCommands();
    }

    // The commands received, without the motor-state polls (their number
    // depends on how long the motors run).
    Commands ReceivedWithoutPolls() {
        Commands commands = sim().receivedCommands();
        std::erase(commands, "GetMotorsState");
        return commands;
    }
};

// Each well moves from where it stands; a well whose position cannot be
// read is not moved, and the others still are.
TEST_P(HardwareSimTest, ApplyMovesEveryWellFromWhereItStands) {
    Place(0, 1000);
    link_.serial.setReadTimeoutMs(100);
    sim().addFault({sim::SimulatorFault::Kind::NoAnswer, "QueryMotorPos(3)", 0, 0, 1});
    WellReadings readings{};
    const DeviceResult result = moveWellsBy(link_, {1.0, 0.0, 0.0004, 1.0, 0.0, -0.5}, readings);
    EXPECT_EQ(result.command(), "QueryMotorPos(3)");
    const Commands commands = ReceivedWithoutPolls();
    // Q3: +1 mm at 0.5 um per step is 2000 steps fewer; P7: 2000 more.
    const std::string target0 = IsQ3() ? "Positioning(0,8,-1000)" : "Positioning(0,8,3000)";
    const std::string target5 = IsQ3() ? "Positioning(5,8,1000)" : "Positioning(5,8,-1000)";
    const Commands moves = {"QueryMotorPos(0)", target0, "QueryMotorPos(1)", "Positioning(1,8,0)",
                            // 0.8 of a step is cut off.
                            "QueryMotorPos(2)", "Positioning(2,8,0)", "QueryMotorPos(3)",
                            "QueryMotorPos(4)", "Positioning(4,8,0)", "QueryMotorPos(5)", target5};
    ASSERT_GE(commands.size(), moves.size());
    EXPECT_EQ(Commands(commands.begin(), commands.begin() + 11), moves);
    // Then every well is read again: its position and ten load cell samples.
    EXPECT_EQ(commands.size(), 11u + 6u * 11u);
    EXPECT_EQ(readings[0].positionMm, IsQ3() ? 0.5 : -1.5);
    EXPECT_EQ(sim().motorPosition(0), IsQ3() ? -1000 : 3000);
}

TEST_P(HardwareSimTest, JogStartsWithItsDirectionAndStopsWithDirectionOne) {
    WellReading reading;
    EXPECT_TRUE(startJog(link_, 2, 0));
    EXPECT_TRUE(stopJog(link_, 2, reading));
    // The stop waits until the motors stand, then reads that one well.
    ASSERT_GE(sim().receivedCommands().size(), 3u);
    EXPECT_EQ(sim().receivedCommands()[2], "GetMotorsState");
    EXPECT_TRUE(startJog(link_, 4, 1));
    EXPECT_TRUE(stopJog(link_, 4, reading));
    Commands expected;
    for (const auto& [well, direction] : {std::pair{2, 0}, std::pair{4, 1}}) {
        expected.push_back(cFormat("\x1CZ(%d,%d,7,0)", well, direction));
        expected.push_back(cFormat("\x1CZ(%d,1,0,0)", well));
        expected.push_back(cFormat("QueryMotorPos(%d)", well));
        expected.insert(expected.end(), 10, cFormat("QueryInternalValue(%d)", 10 + well));
    }
    EXPECT_EQ(ReceivedWithoutPolls(), expected);
    EXPECT_FALSE(sim().motorsMoving());
}

TEST_P(HardwareSimTest, PositionAndForceOfAWell) {
    link_.umPerUstep[1] = 0.15625;
    Place(1, -6400);
    sim().setInternalValue(71, 1000);
    EXPECT_TRUE(readLoadCellZeros(link_));
    EXPECT_EQ(link_.loadCellZero[1], 1000);
    // Raw readings pinned at 1500.
    sim().setInternalValue(11, 1500);
    link_.loadCellGain[1] = 0.001;
    WellReading reading;
    EXPECT_TRUE(refreshWell(link_, 1, reading));
    EXPECT_EQ(reading.positionMm, 1.0);
    EXPECT_DOUBLE_EQ(reading.forceN, 0.5);
}

TEST_P(HardwareSimTest, TheCalibrationMoveIsTwoMillimetresWithoutWaiting) {
    Place(3, 100);
    EXPECT_TRUE(moveWellForCalibration(link_, 3));
    // 2 mm at 0.5 um per step: 4000 steps.
    const Commands expected = {"QueryMotorPos(3)",
                               IsQ3() ? "Positioning(3,8,-3900)" : "Positioning(3,8,4100)"};
    EXPECT_EQ(sim().receivedCommands(), expected);
}

// Only well 3's full scale and gain change; a new connection reads them
// back, and the window sees them at once in the link's published copy.
TEST_P(HardwareSimTest, ApplyCalibrationSavesAllSixRecordsAndReloads) {
    ASSERT_TRUE(loadCalibration(link_));
    auto fullScale = link_.fullScaleLoad;
    auto gains = link_.loadCellGain;
    const auto zeros = link_.loadCellZero;
    sim().clearReceivedCommands();
    EXPECT_TRUE(applyCalibration(link_, 2, 44.5, cutGain(0.00098)));
    const Commands commands = sim().receivedCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().rfind("SetEepromData(3840,", 0), 0u);
    EXPECT_EQ(commands.back(), "UpdateFromSDIni(2,1)");
    EXPECT_EQ(link_.Snapshot().fullScaleLoad[2], 44.5f);
    EXPECT_EQ(link_.Snapshot().loadCellGain[2], cutGain(0.00098));

    DeviceLink other;
    other.portName = device_.portPath();
    link_.serial.CloseSerialPort();
    ASSERT_EQ(other.OpenPort(), SerialOk);
    ASSERT_TRUE(loadCalibration(other));
    fullScale[2] = 44.5f;
    gains[2] = 0.00098;
    EXPECT_EQ(other.fullScaleLoad, fullScale);
    EXPECT_EQ(other.loadCellGain, gains);
    EXPECT_EQ(other.loadCellZero, zeros);
}

// A move slow enough to watch: 4000 microsteps at 4000 a second. The
// positions come while the wells travel; a stop asked for meanwhile halts
// every well short of its target and the move says it was cancelled.
sim::SimulatorOptions SlowMotors() {
    sim::SimulatorOptions options;
    options.motorSpeed = 4000.0;
    return options;
}

class WatchedMoveTest : public test_support::SimLinkTest<> {
  protected:
    WatchedMoveTest() : SimLinkTest(SlowMotors()) {}
};

TEST_F(WatchedMoveTest, PositionsComeOnTheWayAndAStopHaltsEveryWell) {
    link_.serial.setReadTimeoutMs(500);
    link_.umPerUstep.fill(0.5);
    std::vector<double> seen;
    MoveWatch watch;
    watch.pollInterval = std::chrono::milliseconds(20);
    watch.stop = std::make_shared<StopSignal>();
    watch.positions = [&](const WellReadings& readings) {
        seen.push_back(readings[0].positionMm);
        if (seen.size() == 3) {
            watch.stop->request();
        }
    };
    WellReadings readings{};
    const DeviceResult result = moveWellsWatched(link_, {2.0, 0.0, -2.0, 0, 0, 0}, readings, watch);
    EXPECT_EQ(result.why(), DeviceFailure::Cancelled);
    EXPECT_FALSE(sim().motorsMoving());
    ASSERT_EQ(seen.size(), 3u);
    // A P7 extends: the shown position goes down on the way.
    EXPECT_LT(seen[2], seen[0]);
    // Both wells short of their targets: the stop reached every well.
    const auto up = sim().motorPosition(0);
    const auto down = sim().motorPosition(2);
    EXPECT_TRUE(up > 0 && up < 4000 && down < 0 && down > -4000) << up << ", " << down;
    EXPECT_EQ(readings[0].positionMm, positionMm(static_cast<int>(up), 0.5));
}

INSTANTIATE_TEST_SUITE_P(BothModels, HardwareSimTest,
                         testing::Values(kHardwareTypeP7, kHardwareTypeQ3),
                         [](const testing::TestParamInfo<int>& param) {
                             return param.param == kHardwareTypeQ3 ? std::string("Q3")
                                                                   : std::string("P7");
                         });

}  // namespace
}  // namespace kyrvana
