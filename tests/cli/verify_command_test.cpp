// kyrvana-cli verify and program --verify against a simulated stimulator:
// a test just programmed matches, an option not given as it was programmed
// is named on standard output with exit status 1 (a device that does not
// answer is a failed read, in the fault table). Which bytes of the device
// count as differences is the document's business, tested with it.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"

namespace kyrvana {
namespace {

constexpr const char* kMatches = "Device matches the sequence\n";

class VerifyCommandTest : public test::CliSimTest {
  protected:
    void SetUp() override {
        CliSimTest::SetUp();
        std::ofstream(file_) << "NAME NUMREPS\nStretch 5\nRelax 5\n";
    }

    std::string file_ = folder_.file("two.tmt");
    const std::string options_ = "--name 'Day 3' --repeats 3 --disable-wells 2,5 --disable-homing ";
};

TEST_F(VerifyCommandTest, MatchesWhatProgramWroteAndNamesOtherOptions) {
    const test::CliRun programmed = run("program --verify " + options_ + "'" + file_ + "'");
    EXPECT_EQ(programmed.exitStatus, 0) << programmed.err;
    EXPECT_EQ(programmed.out, std::string("Programming Device... Success\n") + kMatches);

    const test::CliRun verified = run("verify " + options_ + "'" + file_ + "'");
    EXPECT_EQ(verified.exitStatus, 0) << verified.err;
    EXPECT_EQ(verified.out, kMatches);
    EXPECT_EQ(verified.err, "");

    // Options that say otherwise than programming did are differences.
    const test::CliRun otherOptions =
        run("verify --name 'Day 3' --disable-wells 2 --repeats 4 '" + file_ + "'");
    EXPECT_EQ(otherOptions.exitStatus, 1);
    EXPECT_EQ(otherOptions.out,
              "Repeats of Entire Sequence: device 3, sequence 4\n"
              "Disable Homing: device yes, sequence no\n"
              "Disabled Wells: device 2, 5, sequence 2\n");
    EXPECT_EQ(otherOptions.err, "kyrvana-cli: the device differs from the sequence in 3 items\n");
}

}  // namespace
}  // namespace kyrvana
