// kyrvana-cli under the simulator's faults: every subcommand that talks to
// the device exits 1 when an exchange failed, names it on standard error, and
// prints no data that would pass for the device's.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_sim_test.h"
#include "core/common/c_locale_text.h"
#include "core/protocol/protocol_writer.h"
#include "sim/fault_rules.h"

namespace kyrvana {
namespace {

using test::shellQuoted;

namespace fs = std::filesystem;

class CliFaultTest : public test::CliSimTest {
  protected:
    void SetUp() override {
        CliSimTest::SetUp();
        readTimeoutMs_ = 300;
        device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        Protocol sequence;
        for (int i = 0; i < 3; ++i) {
            SetRecord set;
            set.name = cFormat("Set %d", i + 1);
            sequence.append(set);
        }
        ASSERT_TRUE(writeProtocolFile(protocolFile_, sequence, HardwareSettings{}).written());
        // The device holds a sequence, so that a read fails only by the fault.
        device_.sim().writeEepromItem(eeprom::kSequenceText, sequenceText(3));
    }

    static std::string sequenceText(int sets) {
        std::string text = "RepeatAll,2\nheader\n";
        for (int i = 0; i < sets; ++i) {
            text += cFormat(
                "Set %d,1000,0,1000,0,1,10,10,10,10,10,10,100,0,0,0,0,0,0,0,0,0,Seconds\n", i);
        }
        return text;
    }

    // Adds a rule as it would be written on kyrvana-sim's command line.
    void fault(const std::string& rule) {
        std::string error;
        const auto parsed = sim::parseFaultRule(rule, &error);
        ASSERT_TRUE(parsed) << rule << ": " << error;
        device_.sim().addFault(*parsed);
    }

    std::string protocolFile_ = folder_.file("three.tmt");
};

// One row per subcommand: the fault, the command line, and the command that
// must be named. `dataOnFailure`: the subcommand still prints its status line.
struct FaultCase {
    const char* rule;
    const char* arguments;
    const char* named;
    bool dataOnFailure = false;
};

TEST_F(CliFaultTest, EverySubcommandExitsOneWhenTheDeviceFails) {
    const FaultCase cases[] = {
        {"no-answer:QueryUmPerUstep(3)", "identify", "QueryUmPerUstep(3)"},
        // Noise for a firmware revision: no revision, so the firmware is refused.
        {"garble:QueryRev(2)", "identify", "QueryRev(2)"},
        {"no-answer:QuerySDVolumeSizeKB", "files", "QuerySDVolumeSizeKB"},
        {"cut-short,bytes=10:ListFilesOnSDCard", "files", "ListFilesOnSDCard"},
        {"no-answer:ReadFileOnSDCardFirst", "download DEMO_0001.CSV --to dl",
         "ReadFileOnSDCardFirst", true},
        {"cut-short,bytes=100,nth=2:ReadFileOnSDCardNext", "download DEMO_0001.CSV --to dl",
         "ReadFileOnSDCardNext", true},
        {"no-answer:DeleteFileFromSDCard", "delete DEMO_0001.CSV", "DeleteFileFromSDCard"},
        {"no-answer:ListFilesOnSDCard", "delete --all --yes", "ListFilesOnSDCard"},
        {"no-answer,nth=4:QueryInternalValue(12)", "position", "QueryInternalValue(12)"},
        {"no-answer:QueryInternalValue(73)", "position", "QueryInternalValue(73)"},
        {"no-answer:Positioning(2", "move --by 1", "Positioning(2,8,"},
        {"no-answer:Homing", "home", "Homing"},
        {"no-answer:GetMotorsState", "home", "GetMotorsState"},
        {"no-answer,nth=3:QueryInternalValue(11)", "calibrate read --well 2",
         "QueryInternalValue(11)"},
        {"no-answer:UpdateFromSDIni(2,1)",
         "calibrate apply --well 2 --full-scale-load 40 --gain 0.001", "UpdateFromSDIni(2,1)"},
        // The stored length read as noise is far over what an item can hold.
        {"garble:GetEepromData(1792, 2)", "read", "GetEepromData(1792, 2)"},
        {"no-answer:\\x1CO(4348)", "read", "\\x1CO(4348)"},
        {"no-answer:\\x1Cw(49", "program three.tmt", "\\x1Cw(49,0)"},
        // Nothing is written to the file asked for.
        {"no-answer:GetEepromData(1794", "read -o back.tmt", "GetEepromData(1794"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " / " + c.arguments);
        device_.sim().clearFaults();
        fault(c.rule);
        std::string arguments = c.arguments;
        if (arguments.find("three.tmt") != std::string::npos) {
            arguments = "program " + shellQuoted(protocolFile_);
        } else if (arguments.find("--to dl") != std::string::npos) {
            arguments = "download DEMO_0001.CSV --to " + quoted("dl");
        } else if (arguments.find("back.tmt") != std::string::npos) {
            arguments = "read -o " + quoted("back.tmt");
        }
        const test::CliRun result = run(arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find(std::string("\"") + c.named), std::string::npos) << result.err;
        if (!c.dataOnFailure) {
            EXPECT_EQ(result.out, "");
        }
    }
    // Nothing incomplete was put in the file's place.
    EXPECT_FALSE(fs::exists(folder_.path() / "dl" / "DEMO_0001.CSV"));
    EXPECT_FALSE(fs::exists(folder_.path() / "back.tmt"));
}

}  // namespace
}  // namespace kyrvana
