// kyrvana-cli under the simulator's faults: every subcommand that talks to
// the device exits 1 when an exchange failed, names it on standard error, and
// prints no data that would pass for the device's.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_sim_test.h"
#include "sim/fault_rules.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

class CliFaultTest : public test::CliSimTest {
  protected:
    void SetUp() override {
        CliSimTest::SetUp();
        readTimeoutMs_ = 300;
        device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        std::ofstream(folder_.file("three.tmt")) << "NAME NUMREPS\nA 1\nB 1\nC 1\n";
        // The device holds a sequence, so that a read fails only by the fault.
        ASSERT_EQ(run("program " + quoted("three.tmt")).exitStatus, 0);
    }

    // Adds a rule as it would be written on kyrvana-sim's command line.
    void fault(const std::string& rule) {
        std::string error;
        const auto parsed = sim::parseFaultRule(rule, &error);
        ASSERT_TRUE(parsed) << rule << ": " << error;
        device_.sim().addFault(*parsed);
    }
};

// One row per subcommand: the fault, the command line, and the command that
// must be named. `dataOnFailure`: the subcommand still prints its status line.
struct FaultCase {
    const char* rule;
    std::string arguments;
    const char* named;
    bool dataOnFailure = false;
};

TEST_F(CliFaultTest, EverySubcommandExitsOneWhenTheDeviceFails) {
    const std::string protocol = quoted("three.tmt");
    const std::vector<FaultCase> cases = {
        {"no-answer:QueryUmPerUstep(3)", "identify", "QueryUmPerUstep(3)"},
        {"no-answer:QuerySDVolumeSizeKB", "files", "QuerySDVolumeSizeKB"},
        {"cut-short,bytes=100,nth=2:ReadFileOnSDCardNext",
         "download DEMO_0001.CSV --to " + quoted("dl"), "ReadFileOnSDCardNext", true},
        {"no-answer:DeleteFileFromSDCard", "delete DEMO_0001.CSV", "DeleteFileFromSDCard"},
        {"no-answer:ListFilesOnSDCard", "delete --all --yes", "ListFilesOnSDCard"},
        {"no-answer:QueryInternalValue(73)", "position", "QueryInternalValue(73)"},
        {"no-answer:Positioning(2", "move --by 1", "Positioning(2,8,"},
        {"no-answer:Homing", "home", "Homing"},
        {"no-answer,nth=3:QueryInternalValue(11)", "calibrate read --well 2",
         "QueryInternalValue(11)"},
        {"no-answer:UpdateFromSDIni(2,1)",
         "calibrate apply --well 2 --full-scale-load 40 --gain 0.001", "UpdateFromSDIni(2,1)"},
        // Nothing is written to the file asked for.
        {"no-answer:GetEepromData(1794", "read -o " + quoted("back.tmt"), "GetEepromData(1794"},
        {"no-answer:\\x1Cw(49", "program " + protocol, "\\x1Cw(49,0)"},
        // The connection reads the test number first; the verification's own
        // read of it goes unanswered: a failed read, not a match.
        {"no-answer,nth=2:GetEepromData(4096", "verify " + protocol, "GetEepromData(4096, 2)"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " / " + c.arguments);
        device_.sim().clearFaults();
        fault(c.rule);
        const test::CliRun result = run(c.arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find(std::string("\"") + c.named), std::string::npos) << result.err;
        if (!c.dataOnFailure) {
            EXPECT_EQ(result.out, "");
        }
    }
    // Nothing incomplete was put in the file's place.
    EXPECT_FALSE(fs::exists(folder_.path() / "dl" / "DEMO_0001.CSV"));
    EXPECT_FALSE(fs::exists(folder_.path() / "back.tmt"));

    // Unplugged: nothing to connect to.
    device_.sim().hangUp();
    const test::CliRun unplugged = run("verify " + protocol);
    EXPECT_EQ(unplugged.exitStatus, 1);
    EXPECT_EQ(unplugged.out, "");
    EXPECT_NE(unplugged.err, "");
}

}  // namespace
}  // namespace kyrvana
