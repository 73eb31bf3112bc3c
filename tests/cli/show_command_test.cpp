// Runs the built kyrvana-cli on protocol files written by the core's writer.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/protocol/protocol_writer.h"

namespace kyrvana {
namespace {

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

class ShowCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kyrvana-cli-show-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string path(const char* name) const { return folder_ + "/" + name; }

    static std::string readAll(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Runs kyrvana-cli with the arguments (already quoted for the shell).
    RunResult run(const std::string& arguments) const {
        const std::string outFile = path("stdout.txt");
        const std::string errFile = path("stderr.txt");
        const std::string command = std::string("'") + KYRVANA_CLI_PATH + "' " + arguments + " >'" +
                                    outFile + "' 2>'" + errFile + "'";
        const int status = std::system(command.c_str());
        RunResult result;
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readAll(outFile);
        result.err = readAll(errFile);
        return result;
    }

    std::string folder_;
};

constexpr const char* kListHeader =
    "Name\tMagnitude\tWell1\tWell2\tWell3\tWell4\tWell5\tWell6\tLoad Dur.\tHold Dur.\t"
    "Recover Dur.\tRest Dur.\tPreload(mN)\tReps.\tData(Hz)\n";

TEST_F(ShowCommandTest, PrintsASavedFileAsTheListShowsIt) {
    Protocol protocol;
    SetRecord first;
    first.name = "Warm up";
    first.holdTimeMs = 500;
    first.restTimeMs = 2000;
    first.numReps = 10;
    first.magnitude = {500.0, 500.0, 500.0, 500.0, 500.0, 500.4};
    first.dataFrequency = DataFrequency::Hz10;
    SetRecord second;
    second.name = "Hold";
    second.mode[0] = ControlMode::Force;
    second.function[0] = FunctionType::Step;
    second.timeUnits = TimeUnits::Milliseconds;
    second.preloadType[0] = PreloadType::EveryRepetition;
    second.preloadMag[0] = 50.0;
    second.numReps = 2;
    second.dataFrequency = DataFrequency::None;
    protocol.append(first);
    protocol.append(second);
    HardwareSettings hardware;
    hardware.FirmwareVersion = 232;
    hardware.RepeatTestSequence = 3;
    ASSERT_TRUE(writeProtocolFile(path("seq.tmt"), protocol, hardware).written());

    // One pass: 10 x 4.5 s + 2 x 2 s + 4 ms of preload = 49.004 s; 49 s x 3.
    const std::string expected =
        std::string("FirmwareVersion\t232\nForceVelocityCode\t7\nRepeatTestSequence\t3\n") +
        kListHeader +
        "Warm up\tRamp (um)\t500\t500\t500\t500\t500\t500\t1.00 (S)\t0.50 (S)\t1.00 (S)\t"
        "2.00 (S)\tNone\t10\t10\n"
        "Hold\tStep (um)\t1000\t1000\t1000\t1000\t1000\t1000\t1000 (mS)\t0 (mS)\t1000 (mS)\t"
        "0 (mS)\t50.0 (Every)\t2\tNone\n"
        "Total Time\t00:02:27\nUsed Memory (%)\t20.0\n";
    const RunResult fromFile = run("show '" + path("seq.tmt") + "'");
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, expected);
    EXPECT_EQ(fromFile.err, "");

    const RunResult fromStdin = run("show - <'" + path("seq.tmt") + "'");
    EXPECT_EQ(fromStdin.exitStatus, 0);
    EXPECT_EQ(fromStdin.out, expected);
}

TEST_F(ShowCommandTest, FailuresGoToStandardErrorWithTheirExitStatus) {
    const RunResult missing = run("show '" + path("missing.tmt") + "'");
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

    std::ofstream(path("damaged.tmt"), std::ios::binary) << "##HARDWARE\nKyrvana P7\nFw x\n";
    const RunResult damaged = run("show '" + path("damaged.tmt") + "'");
    EXPECT_EQ(damaged.exitStatus, 1);
    EXPECT_EQ(damaged.out, "");

    std::ofstream(path("short.tmt"), std::ios::binary) << "NAME NUMREPS\nA 2\nB\n";
    const RunResult cutShort = run("show '" + path("short.tmt") + "'");
    EXPECT_EQ(cutShort.exitStatus, 0);
    EXPECT_NE(cutShort.out.find("\nA\t"), std::string::npos);
    EXPECT_NE(cutShort.err.find("left out"), std::string::npos);

    EXPECT_EQ(run("show").exitStatus, 2);
    EXPECT_EQ(run("").exitStatus, 2);
    EXPECT_EQ(run("show a b").exitStatus, 2);
    EXPECT_EQ(run("--help").exitStatus, 0);
}

}  // namespace
}  // namespace kyrvana
