// kyrvana-cli profile: the core's profile of a protocol file for scripts. The
// numbers are the core's and tested there; here, that the tool passes on the
// file, its repeat count, the well and the window asked, and refuses the rest.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/preview/sequence_profile.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/protocol_writer.h"
#include "support/cli_runner.h"

namespace kyrvana {
namespace {

class ProfileCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        SetRecord cycle;
        cycle.numReps = 4;
        cycle.magnitude = {100.0, 200.0, 300.0, 400.0, 500.0, 600.0};
        Protocol protocol;
        protocol.append(cycle);
        HardwareSettings hardware;
        hardware.RepeatTestSequence = 2;
        ASSERT_TRUE(writeProtocolFile(file_, protocol, hardware).written());
    }

    test_support::CliRun run(const std::string& arguments) const {
        return test_support::runCli(KYRVANA_CLI_PATH, arguments, folder_);
    }

    // What the core gives for the file as the reader reads it.
    std::string coreCsv(std::optional<int> well, double from, double to, int points) const {
        ProfileInputs inputs;
        HardwareSettings hardware;
        EXPECT_TRUE(protocolWasRead(readProtocolFile(file_, inputs.sequence, hardware)));
        inputs.repeatCount = hardware.RepeatTestSequence;
        return profileCsv(SequenceProfile(std::move(inputs)), well, from, to, points);
    }

    test_support::TemporaryFolder folder_;
    std::string file_ = folder_.file("sequence.tmt");
};

TEST_F(ProfileCommandTest, PrintsTheCoresProfileForTheWindowAndWellAsked) {
    const test_support::CliRun all = run("profile '" + file_ + "'");
    EXPECT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(all.out, coreCsv(std::nullopt, 0.0, 1e300, 2000));

    const test_support::CliRun one =
        run("profile --well 2 --from 1.5 --to 30 --points 3 '" + file_ + "'");
    EXPECT_EQ(one.exitStatus, 0) << one.err;
    EXPECT_EQ(one.out, coreCsv(1, 1.5, 30.0, 3));
}

TEST_F(ProfileCommandTest, RefusesWrongUsageAndUnreadableFiles) {
    std::ofstream(folder_.file("damaged.tmt"), std::ios::binary)
        << "##HARDWARE\nKyrvana P7\nFw x\n";
    for (const char* name : {"damaged.tmt", "missing.tmt"}) {
        const test_support::CliRun bad = run(std::string("profile '") + folder_.file(name) + "'");
        EXPECT_EQ(bad.exitStatus, 1) << name;
        EXPECT_EQ(bad.out, "");
        EXPECT_NE(bad.err.find("cannot read"), std::string::npos);
    }
    for (const char* arguments : {"--well 0", "--well 7", "--points 1", "--from -1",
                                  "--from 5 --to 1", "--points many", ""}) {
        const test_support::CliRun usage =
            run(std::string("profile ") + arguments + (*arguments ? " '" + file_ + "'" : ""));
        EXPECT_EQ(usage.exitStatus, 2) << arguments;
        EXPECT_EQ(usage.out, "") << arguments;
    }
}

}  // namespace
}  // namespace kyrvana
