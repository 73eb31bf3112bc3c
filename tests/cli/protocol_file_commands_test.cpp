// kyrvana-cli show and profile, on protocol files written by the core's
// writer and without a device: the arguments, the exit status, which stream
// says what, and the shape of the output (the texts in the listing's cells
// and the profile's numbers are the core's and tested there).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>

#include "core/editor/sequence_list_text.h"
#include "core/preview/sequence_profile.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/protocol_writer.h"
#include "core/protocol/sequence_totals.h"
#include "support/cli_runner.h"

namespace kyrvana {
namespace {

// What the core gives for the file as the reader reads it.
std::string coreProfile(const std::string& file, std::optional<int> well, double from, double to,
                        int points) {
    ProfileInputs inputs;
    HardwareSettings hardware;
    EXPECT_TRUE(protocolWasRead(readProtocolFile(file, inputs.sequence, hardware)));
    inputs.repeatCount = hardware.RepeatTestSequence;
    return profileCsv(SequenceProfile(std::move(inputs)), well, from, to, points);
}

class ProtocolFileCommandsTest : public testing::Test {
  protected:
    std::string path(const char* name) const { return folder_.file(name); }
    test_support::CliRun run(const std::string& arguments) const {
        return test_support::runCli(KYRVANA_CLI_PATH, arguments, folder_);
    }

    test_support::TemporaryFolder folder_;
    std::string file_ = folder_.file("sequence.tmt");
};

TEST_F(ProtocolFileCommandsTest, ShowPrintsTheHardwareValuesOneRowPerSetAndTheTotals) {
    SetRecord first;
    first.name = "Warm up";
    SetRecord second;
    second.name = "Hold";
    Protocol protocol{{first, second}, {}};
    HardwareSettings hardware;
    hardware.FirmwareVersion = 232;
    hardware.RepeatTestSequence = 3;
    ASSERT_TRUE(writeProtocolFile(path("seq.tmt"), protocol, hardware).written());

    const test_support::CliRun fromFile = run("show '" + path("seq.tmt") + "'");
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.err, "");
    const std::string& out = fromFile.out;
    EXPECT_TRUE(
        out.starts_with("FirmwareVersion\t232\nForceVelocityCode\t7\nRepeatTestSequence\t3\n"
                        "Name\tMagnitude\t"))
        << out;
    // One row per set, in order (the count of lines below sees a row missing).
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

TEST_F(ProtocolFileCommandsTest, ProfilePrintsTheCoresProfileForTheWindowAndWellAsked) {
    SetRecord cycle;
    cycle.numReps = 4;
    cycle.magnitude = {100.0, 200.0, 300.0, 400.0, 500.0, 600.0};
    HardwareSettings hardware;
    hardware.RepeatTestSequence = 2;
    Protocol protocol{{cycle}, {}};
    ASSERT_TRUE(writeProtocolFile(file_, protocol, hardware).written());

    const test_support::CliRun all = run("profile '" + file_ + "'");
    EXPECT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(all.out, coreProfile(file_, std::nullopt, 0.0, 1e300, 2000));

    const test_support::CliRun one =
        run("profile --well 2 --from 1.5 --to 30 --points 3 '" + file_ + "'");
    EXPECT_EQ(one.exitStatus, 0) << one.err;
    EXPECT_EQ(one.out, coreProfile(file_, 1, 1.5, 30.0, 3));
}

// A file cut short is shown as far as it goes, with a warning, as check
// reads it (tested there).
TEST_F(ProtocolFileCommandsTest, UnreadableFilesAndWrongUsageFailWithTheirExitStatus) {
    std::ofstream(path("damaged.tmt"), std::ios::binary) << "##HARDWARE\nKyrvana P7\nFw x\n";
    const struct {
        const char* command;
        const char* file;
        const char* said;
    } unreadable[] = {
        {"show", "missing.tmt", "cannot open"},
        {"show", "damaged.tmt", "is not a readable protocol file"},
        {"profile", "missing.tmt", "cannot read"},
        {"profile", "damaged.tmt", "cannot read"},
    };
    for (const auto& c : unreadable) {
        const test_support::CliRun bad = run(std::string(c.command) + " '" + path(c.file) + "'");
        EXPECT_EQ(bad.exitStatus, 1) << c.command << " " << c.file;
        EXPECT_EQ(bad.out, "") << c.command << " " << c.file;
        EXPECT_NE(bad.err.find(c.said), std::string::npos) << bad.err;
    }

    std::ofstream(file_) << "NAME NUMREPS\nA 1\n";
    const std::string file = " '" + file_ + "'";
    for (const std::string& usage :
         {std::string("show"), std::string(""), "show" + file + file, "profile --well 0" + file,
          "profile --well 7" + file, "profile --points 1" + file, "profile --from -1" + file,
          "profile --from 5 --to 1" + file, "profile --points many" + file,
          std::string("profile")}) {
        const test_support::CliRun result = run(usage);
        EXPECT_EQ(result.exitStatus, 2) << usage;
        EXPECT_EQ(result.out, "") << usage;
    }
    EXPECT_EQ(run("--help").exitStatus, 0);
}

}  // namespace
}  // namespace kyrvana
