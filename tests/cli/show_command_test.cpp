// Runs the built kyrvana-cli on protocol files written by the core's writer.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/protocol/protocol_writer.h"
#include "support/cli_runner.h"

namespace kyrvana {
namespace {

class ShowCommandTest : public testing::Test {
  protected:
    std::string path(const char* name) const { return folder_.file(name); }
    test_support::CliRun run(const std::string& arguments) const {
        return test_support::runCli(KYRVANA_CLI_PATH, arguments, folder_);
    }

    test_support::TemporaryFolder folder_;
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
    const test_support::CliRun fromFile = run("show '" + path("seq.tmt") + "'");
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, expected);
    EXPECT_EQ(fromFile.err, "");

    const test_support::CliRun fromStdin = run("show - <'" + path("seq.tmt") + "'");
    EXPECT_EQ(fromStdin.exitStatus, 0);
    EXPECT_EQ(fromStdin.out, expected);
}

TEST_F(ShowCommandTest, FailuresGoToStandardErrorWithTheirExitStatus) {
    const test_support::CliRun missing = run("show '" + path("missing.tmt") + "'");
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

    std::ofstream(path("damaged.tmt"), std::ios::binary) << "##HARDWARE\nKyrvana P7\nFw x\n";
    const test_support::CliRun damaged = run("show '" + path("damaged.tmt") + "'");
    EXPECT_EQ(damaged.exitStatus, 1);
    EXPECT_EQ(damaged.out, "");

    std::ofstream(path("short.tmt"), std::ios::binary) << "NAME NUMREPS\nA 2\nB\n";
    const test_support::CliRun cutShort = run("show '" + path("short.tmt") + "'");
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
