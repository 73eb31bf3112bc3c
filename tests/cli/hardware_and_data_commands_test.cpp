// kyrvana-cli files, download, delete, position, move, home and calibrate:
// the built tool against a simulated stimulator on a pseudo-terminal, named
// with --port; and the refusal of work that would spoil a test the device
// runs or holds paused.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test_support::readFile;

sim::SimulatorOptions fastMotors() {
    sim::SimulatorOptions options;
    options.motorSpeed = 1e7;
    return options;
}

class CliDataAndHardwareTest : public test::CliSimTest {
  protected:
    CliDataAndHardwareTest() : CliSimTest(fastMotors()) {}

    void SetUp() override {
        CliSimTest::SetUp();
        device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        device_.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
        device_.putFile("TEST.INI", "[Test]\n");
    }
};

// Refused before the port is opened: opening restarts a real stimulator.
TEST_F(CliDataAndHardwareTest, WrongUsageExitsTwoBeforeTheDeviceIsAsked) {
    for (const char* usage :
         {"download", "download --all DEMO_0001.CSV",
          // Without a terminal to ask, --all wants --yes.
          "delete --all", "move --by 1,2", "move --by x", "move --by 1,,2,3,4,5", "move",
          "calibrate read --well 7", "calibrate fit 100-1000 200:2000",
          "calibrate apply --well 2 --full-scale-load 44,5 --gain 1"}) {
        const CliRun result = run(usage);
        EXPECT_EQ(result.exitStatus, 2) << usage;
        EXPECT_EQ(result.out, "") << usage;
    }
    EXPECT_TRUE(device_.sim().receivedCommands().empty());
}

TEST_F(CliDataAndHardwareTest, FilesListsNamesSizesAndTheUsedStorage) {
    const CliRun result = run("files");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "File Name\tSize (kB)\n"
              "DEMO_0002.CSV\t13\n"
              "DEMO_0001.CSV\t3\n"
              "Used Storage\t< 0.1%\n");
}

TEST_F(CliDataAndHardwareTest, DownloadNamedOrAllIntoAFolder) {
    const fs::path to = folder_.path() / "data";
    CliRun result = run("download --all --to '" + to.string() + "'");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "DEMO_0002.CSV\tDownload Complete\t" + (to / "DEMO_0002.CSV").string() +
                              "\nDEMO_0001.CSV\tDownload Complete\t" +
                              (to / "DEMO_0001.CSV").string() + "\n");
    // Standard error is no terminal here: no progress line.
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readFile(to / "DEMO_0002.CSV"), std::string(13000, 'b'));

    // A name the card does not list is said to be missing; the next name
    // is downloaded all the same.
    result = run("download NOPE.CSV DEMO_0001.CSV --to '" + folder_.path().string() + "'");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "kyrvana-cli: NOPE.CSV: the SD card lists no file of that name (the files command "
              "shows what it holds)\n");
    EXPECT_EQ(result.out, "DEMO_0001.CSV\tDownload Complete\t" +
                              (folder_.path() / "DEMO_0001.CSV").string() + "\n");
    EXPECT_FALSE(fs::exists(folder_.path() / "NOPE.CSV"));
    EXPECT_FALSE(fs::exists(folder_.path() / "NOPE.CSV.incomplete"));
}

TEST_F(CliDataAndHardwareTest, DeleteNamedAndAll) {
    CliRun result = run("delete DEMO_0001.CSV");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "DEMO_0001.CSV\n");
    EXPECT_FALSE(fs::exists(device_.sdCard() / "DATA" / "DEMO_0001.CSV"));

    result = run("delete --all --yes");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "DEMO_0002.CSV\n");
    EXPECT_FALSE(fs::exists(device_.sdCard() / "DATA" / "DEMO_0002.CSV"));
    // The firmware's own files stay.
    EXPECT_TRUE(fs::exists(device_.sdCard() / "TEST.INI"));
}

TEST_F(CliDataAndHardwareTest, PositionMoveAndHome) {
    CliRun result = run("move --by 1");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // A P7 extends: +1 mm lowers the position shown by 1 mm.
    EXPECT_EQ(result.out.rfind("Well\tPosition (mm)\tForce (N)\n1\t-1\t", 0), 0u) << result.out;

    // The device's own positions, read back.
    ASSERT_EQ(run("move --by 0,0,0,0,0,-0.5").exitStatus, 0);
    result = run("position");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("\n1\t-1\t"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n6\t-0.5\t"), std::string::npos) << result.out;

    EXPECT_EQ(run("home").exitStatus, 0);
    EXPECT_FALSE(device_.sim().motorsMoving());
    EXPECT_EQ(device_.sim().motorPosition(0), 0);
}

// The fit and the calibration record are the core's; the tool passes on the
// well and the numbers asked and prints what it got.
TEST_F(CliDataAndHardwareTest, CalibrateReadFitAndApply) {
    device_.sim().setInternalValue(13, 1234);
    CliRun result = run("calibrate read --well 4");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "1234\n");

    result = run("calibrate fit 100:1000 200:2000");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "0.00098\n");

    result = run("calibrate apply --well 2 --full-scale-load 44.5 --gain 0.00098");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string item = device_.sim().eepromItem(eeprom::kCalibration);
    EXPECT_EQ(result.out, item);
    EXPECT_EQ(item.substr(item.find('\n') + 1, 13), "44.5,0.00098,");
}

// Running and paused count alike (the core's test state tells them); with
// --force the device is not even asked.
TEST_F(CliDataAndHardwareTest, WorkThatWouldSpoilATestNeedsForce) {
    std::ofstream(folder_.file("one.tmt")) << "NAME NUMREPS\nGuarded 1\n";
    const char* testData = "Cannot Access Test Data\nWhile Test is Running or Paused\n";
    const char* actuators = "A test is running on the device. Continue anyway?\n";
    const struct {
        std::string arguments;
        const char* refusal;
    } commands[] = {
        {"delete DEMO_0001.CSV", testData},
        {"download DEMO_0001.CSV --to " + quoted("data"), testData},
        {"program " + quoted("one.tmt"), actuators},
        {"move --by 0.5", actuators},
        {"home", actuators},
        {"calibrate read --well 2", actuators},
        {"calibrate apply --well 2 --full-scale-load 50 --gain 0.001", actuators},
    };
    const std::string testStateQuery = "QueryInternalValue(1)\r";
    sim::SimulatedStimulator& sim = device_.sim();
    for (const auto& command : commands) {
        SCOPED_TRACE(command.arguments);
        device_.putFile("DATA/DEMO_0001.CSV", std::string(1500, 'd'));
        sim.setInternalValue(internal_value::kTestState, test_state::kRunning);
        sim.clearReceivedCommands();
        const CliRun refused = run(command.arguments);
        EXPECT_EQ(refused.exitStatus, 1) << refused.err;
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find(std::string(command.refusal) +
                                   "kyrvana-cli: refused; --force goes on all the same\n"),
                  std::string::npos)
            << refused.err;
        // Nothing after the question whether a test runs, so the device is
        // as it was; nor is anything written here.
        ASSERT_FALSE(sim.receivedCommands().empty());
        EXPECT_EQ(sim.receivedCommands().back(), testStateQuery);
        EXPECT_FALSE(fs::exists(folder_.path() / "data"));

        sim.clearReceivedCommands();
        const CliRun forced = run(command.arguments + " --force");
        EXPECT_EQ(forced.exitStatus, 0) << forced.err;
        for (const std::string& received : sim.receivedCommands()) {
            EXPECT_NE(received, testStateQuery);
        }
        fs::remove_all(folder_.path() / "data");
    }
    EXPECT_NE(sim.eepromItem(eeprom::kSequenceText).find("Guarded,"), std::string::npos);
}

}  // namespace
}  // namespace kyrvana
