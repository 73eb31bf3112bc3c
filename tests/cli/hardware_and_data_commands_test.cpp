// kyrvana-cli files, download, delete, position, move, home and calibrate:
// the built tool against a simulated stimulator on a pseudo-terminal, named
// with --port.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/sim_fixture.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

sim::SimulatorOptions fastMotors() {
    sim::SimulatorOptions options;
    options.motorSpeed = 1e7;
    return options;
}

class CliDataAndHardwareTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
        std::string pattern = (fs::temp_directory_path() / "kyrvana-cli-data-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        device_.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
        device_.putFile("TEST.INI", "[Test]\n");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    // Runs kyrvana-cli on the simulator with short waits; standard input is
    // not a terminal.
    RunResult run(const std::string& arguments) const {
        const fs::path outFile = folder_ / "stdout.txt";
        const fs::path errFile = folder_ / "stderr.txt";
        const std::string command = std::string("'") + KYRVANA_CLI_PATH + "' --port '" +
                                    device_.portPath() + "' --settle-ms 0 --timeout 1000 " +
                                    arguments + " </dev/null >'" + outFile.string() + "' 2>'" +
                                    errFile.string() + "'";
        const int status = std::system(command.c_str());
        RunResult result;
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readAll(outFile);
        result.err = readAll(errFile);
        return result;
    }

    test_support::RunningSimulator device_{fastMotors()};
    fs::path folder_;
};

TEST_F(CliDataAndHardwareTest, FilesListsNamesSizesAndTheUsedStorage) {
    const RunResult result = run("files");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "File Name\tSize (kB)\n"
              "DEMO_0002.CSV\t13\n"
              "DEMO_0001.CSV\t3\n"
              "Used Storage\t< 0.1%\n");
}

TEST_F(CliDataAndHardwareTest, DownloadNamedOrAllIntoAFolder) {
    const fs::path to = folder_ / "data";
    RunResult result = run("download DEMO_0001.CSV --to '" + to.string() + "'");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "DEMO_0001.CSV\tDownload Complete\t" + (to / "DEMO_0001.CSV").string() + "\n");
    // Standard error is no terminal here: no progress line.
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readAll(to / "DEMO_0001.CSV"), std::string(2500, 'a'));

    result = run("download --all --to '" + to.string() + "'");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(readAll(to / "DEMO_0002.CSV"), std::string(13000, 'b'));

    // A piece cut short: what came before it is only kept as .incomplete.
    sim::SimulatorFault cut{sim::SimulatorFault::Kind::CutShort, "ReadFileOnSDCardNext", 5};
    cut.skip = 1;
    cut.times = 1;
    device_.sim().addFault(cut);
    result = run("download DEMO_0002.CSV --to '" + folder_.string() + "'");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "DEMO_0002.CSV\tDownload Incomplete\t" +
                              (folder_ / "DEMO_0002.CSV.incomplete").string() + "\n");
    EXPECT_FALSE(fs::exists(folder_ / "DEMO_0002.CSV"));

    // A name the card does not list is said to be missing; the next name
    // is downloaded all the same.
    result = run("download NOPE.CSV DEMO_0001.CSV --to '" + folder_.string() + "'");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "kyrvana-cli: NOPE.CSV: the SD card lists no file of that name (the files command "
              "shows what it holds)\n");
    EXPECT_EQ(result.out,
              "DEMO_0001.CSV\tDownload Complete\t" + (folder_ / "DEMO_0001.CSV").string() + "\n");
    EXPECT_FALSE(fs::exists(folder_ / "NOPE.CSV"));
    EXPECT_FALSE(fs::exists(folder_ / "NOPE.CSV.incomplete"));

    EXPECT_EQ(run("download").exitStatus, 2);
    EXPECT_EQ(run("download --all DEMO_0001.CSV").exitStatus, 2);
}

TEST_F(CliDataAndHardwareTest, DeleteNamedAndAll) {
    RunResult result = run("delete DEMO_0001.CSV");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "DEMO_0001.CSV\n");
    EXPECT_FALSE(fs::exists(device_.sdCard() / "DATA" / "DEMO_0001.CSV"));

    // Without a terminal to ask, --all wants --yes.
    result = run("delete --all");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(fs::exists(device_.sdCard() / "DATA" / "DEMO_0002.CSV"));

    result = run("delete --all --yes");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "DEMO_0002.CSV\n");
    EXPECT_FALSE(fs::exists(device_.sdCard() / "DATA" / "DEMO_0002.CSV"));
    // The firmware's own files stay.
    EXPECT_TRUE(fs::exists(device_.sdCard() / "TEST.INI"));
}

TEST_F(CliDataAndHardwareTest, PositionMoveAndHome) {
    RunResult result = run("move --by 1");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // A P7 extends: +1 mm lowers the position shown by 1 mm.
    EXPECT_EQ(result.out.rfind("Well\tPosition (mm)\tForce (N)\n1\t-1\t", 0), 0u) << result.out;
    EXPECT_EQ(device_.sim().motorPosition(0), 6400);
    EXPECT_EQ(device_.sim().motorPosition(5), 6400);

    result = run("move --by 0,0,0,0,0,-0.5");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(device_.sim().motorPosition(0), 6400);
    EXPECT_EQ(device_.sim().motorPosition(5), 3200);

    result = run("position");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("\n1\t-1\t"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n6\t-0.5\t"), std::string::npos) << result.out;

    for (const char* bad : {"move --by 1,2", "move --by x", "move --by 1,,2,3,4,5", "move"}) {
        EXPECT_EQ(run(bad).exitStatus, 2) << bad;
    }

    result = run("home");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_FALSE(device_.sim().motorsMoving());
    EXPECT_EQ(device_.sim().motorPosition(0), 0);
}

TEST_F(CliDataAndHardwareTest, CalibrateReadFitAndApply) {
    device_.sim().setInternalValue(13, 1234);
    RunResult result = run("calibrate read --well 4");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "1234\n");
    EXPECT_EQ(run("calibrate read --well 7").exitStatus, 2);

    result = run("calibrate fit 100:1000 200:2000");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "0.00098\n");
    result = run("calibrate fit 100:1000");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "At least 2 different Weights required\n");
    EXPECT_EQ(run("calibrate fit 100-1000 200:2000").exitStatus, 2);

    result = run("calibrate apply --well 2 --full-scale-load 44.5 --gain 0.00098");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string item = device_.sim().eepromItem(eeprom::kCalibration);
    EXPECT_EQ(result.out, item);
    const std::size_t second = item.find('\n') + 1;
    EXPECT_EQ(item.substr(second, 13), "44.5,0.00098,");
    EXPECT_EQ(device_.sim().receivedCommands().back(), "UpdateFromSDIni(2,1)");
    EXPECT_EQ(run("calibrate apply --well 2 --full-scale-load 44,5 --gain 1").exitStatus, 2);
}

}  // namespace
}  // namespace kyrvana
