// kyrvana-cli under the simulator's faults: every subcommand that talks to
// the device exits 1 when an exchange failed, names it on standard error, and
// prints no data that would pass for the device's.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/protocol/protocol_writer.h"
#include "sim/fault_rules.h"
#include "support/cli_runner.h"
#include "support/sim_fixture.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

class CliFaultTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
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

    test_support::CliRun run(const std::string& arguments) const {
        return test_support::runCliOnPort(KYRVANA_CLI_PATH, device_.portPath(), arguments, folder_);
    }

    test_support::RunningSimulator device_;
    test_support::TemporaryFolder folder_;
    std::string protocolFile_ = folder_.file("three.tmt");
};

TEST_F(CliFaultTest, ProgramWithOneUnansweredCommandFailsAndNamesIt) {
    ASSERT_EQ(run("program " + test_support::shellQuoted(protocolFile_)).exitStatus, 0);
    // The programming's own commands: from the test name on, after the
    // connection's.
    const std::vector<std::string> commands = device_.sim().receivedCommands();
    const auto first = std::find_if(commands.begin(), commands.end(), [](const std::string& c) {
        return c.starts_with("SetEepromData(4112,");
    });
    const auto programming = static_cast<std::size_t>(commands.end() - first);
    ASSERT_GT(programming, 42u);
    device_.sim().clearReceivedCommands();

    fault("no-answer,nth=17:SetEepromControlSettingsData");
    const test_support::CliRun result = run("program " + test_support::shellQuoted(protocolFile_));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find("Success"), std::string::npos) << result.err;
    // Well 2's setting 2: the 17th of the 42 control settings.
    EXPECT_NE(result.err.find("no answer to \"SetEepromControlSettingsData(2, 2, 4)\""),
              std::string::npos)
        << result.err;
    // Nothing after it: the test name's two commands and 17 settings went
    // out, and the user is told what the device holds.
    const std::size_t sent = 2 + 17;
    EXPECT_NE(result.err.find(" 1 of " + std::to_string(sent) + " programming commands"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("test name written, sequence partly written: program again"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(device_.sim().receivedCommands().size(), commands.size() - programming + sent);
}

TEST_F(CliFaultTest, ReadWithAnUnansweredEepromChunkPrintsAndWritesNothing) {
    const std::string text = sequenceText(10);
    ASSERT_GT(text.size(), 512u);
    device_.sim().writeEepromItem(eeprom::kSequenceText, text);
    const std::string output = folder_.file("back.tmt");
    ASSERT_EQ(run("read").exitStatus, 0);

    // The second chunk of the sequence text (256 bytes on from 1794).
    fault("no-answer:GetEepromData(2050, 256)");
    const test_support::CliRun result = run("read -o " + test_support::shellQuoted(output));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("\"GetEepromData(2050, 256)\""), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(output));
}

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
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " / " + c.arguments);
        device_.sim().clearFaults();
        fault(c.rule);
        std::string arguments = c.arguments;
        if (arguments.find("three.tmt") != std::string::npos) {
            arguments = "program " + test_support::shellQuoted(protocolFile_);
        } else if (arguments.find("--to dl") != std::string::npos) {
            arguments = "download DEMO_0001.CSV --to " + folder_.file("dl");
        }
        const test_support::CliRun result = run(arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find(std::string("\"") + c.named), std::string::npos) << result.err;
        if (!c.dataOnFailure) {
            EXPECT_EQ(result.out, "");
        }
    }
    // Nothing incomplete was put in the file's place.
    EXPECT_FALSE(fs::exists(folder_.path() / "dl" / "DEMO_0001.CSV"));
}

}  // namespace
}  // namespace kyrvana
