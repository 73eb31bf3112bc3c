// kyrvana-cli check and program refuse files that are not protocol files, or
// whose values the reader could not take, and program refuses a test name the
// device cannot keep, before anything goes to the device.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"

namespace kyrvana {
namespace {

using test::CliRun;
using test::shellQuoted;

class ProtocolFileRefusalTest : public test::CliSimTest {
  protected:
    std::string write(const std::string& name, const std::string& content) const {
        const std::string path = folder_.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
};

TEST_F(ProtocolFileRefusalTest, CheckAndProgramRefuseWhatIsNotAProtocol) {
    struct Case {
        const char* file;
        std::string content;
        // What standard error must say, in this order.
        std::vector<std::string> said;
    };
    // Which words and values the reader takes is its own business, tested with
    // it; the tool refuses a file that is no protocol and one with values
    // the reader could not take.
    const Case cases[] = {
        {"data.csv",
         "Time,Force,Position\r\n0.00,1.25,3.10\r\n0.01,1.27,3.12\r\n",
         {"data.csv: line 1: unknown column \"Time,Force,Position\"\n",
          "data.csv is not a protocol file: no word of its header names a column\n"}},
        {"mode.tmt",
         "Name\tXMode\tXFunction\tNumReps\t\r\nA\tDisp\tRamp\t1\t\r\nB\tHold\tRamp\t1\t\r\n",
         {"mode.tmt: line 3, XMode: unknown control mode \"Hold\"\n",
          "mode.tmt is refused: 1 value could not be read\n"}},
    };
    device_.sim().writeEepromItem(eeprom::kSequenceText, "untouched");
    for (const Case& c : cases) {
        const std::string path = write(c.file, c.content);
        for (const char* command : {"check", "program"}) {
            device_.sim().clearReceivedCommands();
            const CliRun result = run(std::string(command) + " " + shellQuoted(path));
            EXPECT_EQ(result.exitStatus, 1) << command << " " << c.file;
            EXPECT_EQ(result.out, "") << command << " " << c.file;
            std::size_t at = 0;
            for (const std::string& text : c.said) {
                at = result.err.find(text, at);
                EXPECT_NE(at, std::string::npos) << command << " " << c.file << ": " << text << "\n"
                                                 << result.err;
            }
            EXPECT_TRUE(device_.sim().receivedCommands().empty()) << command << " " << c.file;
        }
    }
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kSequenceText), "untouched");
}

// Only warned about: a column nobody knows (its values are skipped) and a
// last row cut short (it is left out); the rest of the file is checked.
TEST_F(ProtocolFileRefusalTest, CheckWarnsAboutWhatItSkips) {
    const std::string path = write("extra.tmt",
                                   "NAME Comment XMODE NUMREPS\n"
                                   "A first disp 2\n"
                                   "B second");
    const CliRun result = run("check --um-per-ustep 0.1 " + shellQuoted(path));
    EXPECT_EQ(result.exitStatus, 0) << result.err << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("extra.tmt: the last row ends before its last column and was "
                              "left out\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("extra.tmt: line 1: unknown column \"Comment\"\n"),
              std::string::npos);
    EXPECT_NE(result.err.find("extra.tmt: the values of unknown columns are skipped\n"),
              std::string::npos);
}

// The device keeps 234 characters of test name before the homing and
// disabled-wells words.
TEST_F(ProtocolFileRefusalTest, ProgramRefusesANameTheDeviceCannotKeep) {
    const std::string path = write("one.tmt", "NAME NUMREPS\nA 1\n");
    const std::string longest(234, 'n');
    const CliRun fits = run("program " + shellQuoted(path) + " --name " + longest);
    ASSERT_EQ(fits.exitStatus, 0) << fits.err;
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kTestName), longest);

    device_.sim().clearReceivedCommands();
    const CliRun tooLong = run("program " + shellQuoted(path) + " --name " + longest + "x");
    EXPECT_EQ(tooLong.exitStatus, 2);
    EXPECT_NE(tooLong.err.find("at most 234 characters; this one has 235"), std::string::npos)
        << tooLong.err;
    EXPECT_TRUE(device_.sim().receivedCommands().empty());
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kTestName), longest);
}

}  // namespace
}  // namespace kyrvana
