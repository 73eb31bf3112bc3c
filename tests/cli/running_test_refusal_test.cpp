// kyrvana-cli refuses work that would spoil a test the device runs or holds
// paused, with the window's message, unless it is given --force.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"

namespace kyrvana {
namespace {

using test::CliRun;
using test::shellQuoted;

constexpr const char* kTestDataRefusal =
    "Cannot Access Test Data\nWhile Test is Running or Paused\n";
constexpr const char* kActuatorRefusal = "A test is running on the device. Continue anyway?\n";
constexpr const char* kTestStateQuery = "QueryInternalValue(1)\r";

class RunningTestRefusalTest : public test::CliSimTest {
  protected:
    void SetUp() override {
        CliSimTest::SetUp();
        std::ofstream(folder_.file("one.tmt")) << "NAME NUMREPS\nGuarded 1\n";
    }
};

TEST_F(RunningTestRefusalTest, WorkThatWouldSpoilATestNeedsForce) {
    const std::string to = shellQuoted(folder_.file("data"));
    const struct {
        std::string arguments;
        const char* refusal;
    } commands[] = {
        {"delete DEMO_0001.CSV", kTestDataRefusal},
        {"download DEMO_0001.CSV --to " + to, kTestDataRefusal},
        {"program " + shellQuoted(folder_.file("one.tmt")), kActuatorRefusal},
        {"move --by 0.5", kActuatorRefusal},
        {"home", kActuatorRefusal},
        {"calibrate read --well 2", kActuatorRefusal},
        {"calibrate apply --well 2 --full-scale-load 50 --gain 0.001", kActuatorRefusal},
    };
    sim::SimulatedStimulator& sim = device_.sim();
    // Running and paused count alike; the core's test state tells them.
    for (const auto& command : commands) {
        device_.putFile("DATA/DEMO_0001.CSV", std::string(1500, 'd'));
        sim.setInternalValue(internal_value::kTestState, test_state::kRunning);
        sim.clearReceivedCommands();
        const CliRun refused = run(command.arguments);
        EXPECT_EQ(refused.exitStatus, 1) << command.arguments << " " << refused.err;
        EXPECT_EQ(refused.out, "") << command.arguments;
        EXPECT_NE(refused.err.find(std::string(command.refusal) +
                                   "kyrvana-cli: refused; --force goes on all the same\n"),
                  std::string::npos)
            << command.arguments << "\n"
            << refused.err;
        // Nothing after the question whether a test runs, so the device is
        // as it was; nor is anything written here.
        ASSERT_FALSE(sim.receivedCommands().empty());
        EXPECT_EQ(sim.receivedCommands().back(), kTestStateQuery) << command.arguments;
        EXPECT_FALSE(std::filesystem::exists(folder_.path() / "data"));

        sim.clearReceivedCommands();
        const CliRun forced = run(command.arguments + " --force");
        EXPECT_EQ(forced.exitStatus, 0) << command.arguments << " " << forced.err;
        // With --force the device is not even asked.
        for (const std::string& received : sim.receivedCommands()) {
            EXPECT_NE(received, kTestStateQuery) << command.arguments;
        }
        std::filesystem::remove_all(folder_.path() / "data");
    }
    EXPECT_NE(sim.eepromItem(eeprom::kSequenceText).find("Guarded,"), std::string::npos);
}

}  // namespace
}  // namespace kyrvana
