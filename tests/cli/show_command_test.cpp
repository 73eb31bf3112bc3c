// kyrvana-cli show on protocol files written by the core's writer: the
// arguments, the exit status, which stream says what, and the shape of the
// listing (the texts in its cells are the core's and tested there).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "core/editor/sequence_list_text.h"
#include "core/protocol/protocol_writer.h"
#include "core/protocol/sequence_totals.h"
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

TEST_F(ShowCommandTest, PrintsTheHardwareValuesOneRowPerSetAndTheTotals) {
    Protocol protocol;
    SetRecord first;
    first.name = "Warm up";
    SetRecord second;
    second.name = "Hold";
    protocol.append(first);
    protocol.append(second);
    HardwareSettings hardware;
    hardware.FirmwareVersion = 232;
    hardware.RepeatTestSequence = 3;
    ASSERT_TRUE(writeProtocolFile(path("seq.tmt"), protocol, hardware).written());

    const test_support::CliRun fromFile = run("show '" + path("seq.tmt") + "'");
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.err, "");
    const std::string& out = fromFile.out;
    EXPECT_EQ(out.rfind("FirmwareVersion\t232\nForceVelocityCode\t7\nRepeatTestSequence\t3\n"
                        "Name\tMagnitude\t",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("\nWarm up\t"), std::string::npos) << out;
    EXPECT_NE(out.find("\nHold\t"), std::string::npos) << out;
    EXPECT_LT(out.find("\nWarm up\t"), out.find("\nHold\t"));
    // The totals of the sets read back, the time for the three passes.
    const std::string totals = "\nTotal Time\t" +
                               totalTimeText(shownTotalSeconds(totalDurationSeconds(protocol), 3)) +
                               "\nUsed Memory (%)\t" + usedMemoryText(usedMemoryPercent(2)) + "\n";
    EXPECT_TRUE(out.ends_with(totals)) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3 + 1 + 2 + 2) << out;

    const test_support::CliRun fromStdin = run("show - <'" + path("seq.tmt") + "'");
    EXPECT_EQ(fromStdin.exitStatus, 0);
    EXPECT_EQ(fromStdin.out, out);
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

    // A file cut short is shown as far as it goes, with a warning, as check
    // reads it (tested there).

    for (const char* usage : {"show", "", "show a b"}) {
        EXPECT_EQ(run(usage).exitStatus, 2) << usage;
    }
    EXPECT_EQ(run("--help").exitStatus, 0);
}

}  // namespace
}  // namespace kyrvana
