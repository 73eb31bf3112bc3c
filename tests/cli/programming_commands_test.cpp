// kyrvana-cli program, read, verify and check: the built tool against a
// simulated stimulator on a pseudo-terminal, named with --port. What the
// device stores and which of its bytes count as differences are the
// programming's and the document's business, tested with them; here: the
// options reach the device, a file or a name the device cannot take is
// refused before anything is sent, and the exit status and the streams.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_sim_test.h"
#include "core/protocol/protocol_writer.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class ProgrammingCommandsTest : public test::CliSimTest {
  protected:
    // The file's path, quoted for the command line.
    std::string writeFile(const char* name, Protocol sequence) const {
        EXPECT_TRUE(writeProtocolFile(folder_.file(name), sequence, HardwareSettings{}).written());
        return quoted(name);
    }
    std::string writeFile(const char* name, const std::string& content) const {
        std::ofstream(folder_.file(name), std::ios::binary) << content;
        return quoted(name);
    }
};

// Reading a device into the file a script keeps, on a disk without room for
// it: the earlier file stays byte for byte, nothing else is left, and the
// tool says so and fails.
TEST_F(ProgrammingCommandsTest, ReadOntoAFullDiskKeepsTheEarlierFile) {
    const SetRecord set;
    ASSERT_EQ(run("program " + writeFile("three.tmt", Protocol{{set, set, set}, {}})).exitStatus,
              0);
    const fs::path kept = folder_.path() / "kept";
    fs::create_directory(kept);
    const std::string earlier = "an earlier protocol\r\n";
    std::ofstream(kept / "out.tmt", std::ios::binary) << earlier;

    // As if the disk had room for 512 bytes per file: the shell limits the
    // files the tool may grow (a write beyond fails with EFBIG rather than
    // ending the tool), and standard output goes nowhere so that only the
    // tool's own files meet the limit.
    const CliRun read = run("read -o '" + (kept / "out.tmt").string() + "'",
                            R"(sh -c 'trap "" XFSZ; ulimit -f 1; exec "$0" "$@" >/dev/null')");
    EXPECT_EQ(read.exitStatus, 1);
    EXPECT_NE(read.err.find("kyrvana-cli: cannot write " + (kept / "out.tmt").string() +
                            ": File too large; an earlier file of that name is unchanged\n"),
              std::string::npos)
        << read.err;
    EXPECT_EQ(test_support::readFile(kept / "out.tmt"), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(kept), fs::directory_iterator()), 1);
}

TEST_F(ProgrammingCommandsTest, OptionsOverrideTheFileAndTheForm) {
    const CliRun result = run("program " + writeFile("one.tmt", Protocol{{SetRecord{}}, {}}) +
                              " --name 'a/b' --repeats 5 --velocity-code 9 "
                              "--disable-wells 1,6 --disable-homing");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The test-name warning is said, and the programming goes on.
    EXPECT_NE(result.err.find("Warning:  Invalid Characters will be removed\n"), std::string::npos);
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kTestName), "a_b");
    // The rest as the device gives it back.
    const CliRun read = run("read");
    EXPECT_NE(read.err.find("Disabled wells: 1,6\nHoming disabled: yes\n"), std::string::npos);
    EXPECT_NE(read.out.find("ForceVelocityCode\t9\nRepeatTestSequence\t5\n"), std::string::npos);
}

// A test just programmed matches; an option given otherwise than it was
// programmed is named on standard output with exit status 1 (a device that
// does not answer is a failed read, in the fault table).
TEST_F(ProgrammingCommandsTest, VerifyMatchesWhatProgramWroteAndNamesOtherOptions) {
    const std::string file = writeFile("two.tmt", "NAME NUMREPS\nStretch 5\nRelax 5\n");
    const std::string options = "--name 'Day 3' --repeats 3 --disable-wells 2,5 --disable-homing ";
    const CliRun programmed = run("program --verify " + options + file);
    EXPECT_EQ(programmed.exitStatus, 0) << programmed.err;
    EXPECT_EQ(programmed.out, "Programming Device... Success\nDevice matches the sequence\n");

    const CliRun verified = run("verify " + options + file);
    EXPECT_EQ(verified.exitStatus, 0) << verified.err;
    EXPECT_EQ(verified.out, "Device matches the sequence\n");
    EXPECT_EQ(verified.err, "");

    const CliRun otherOptions = run("verify --name 'Day 3' --disable-wells 2 --repeats 4 " + file);
    EXPECT_EQ(otherOptions.exitStatus, 1);
    EXPECT_EQ(otherOptions.out,
              "Repeats of Entire Sequence: device 3, sequence 4\n"
              "Disable Homing: device yes, sequence no\n"
              "Disabled Wells: device 2, 5, sequence 2\n");
    EXPECT_EQ(otherOptions.err, "kyrvana-cli: the device differs from the sequence in 3 items\n");
}

// Nothing reaches the device for a sequence it must not run, wells it does
// not have, or a test name longer than the 234 characters it keeps before
// the homing and disabled-wells words (a longer one would overwrite them).
TEST_F(ProgrammingCommandsTest, RefusedSequencesWellsAndNamesChangeNothing) {
    device_.sim().writeEepromItem(eeprom::kSequenceText, "untouched");
    const CliRun refused = run("program " + writeFile("empty.tmt", Protocol{}));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("Please Specify a Test Sequence Before Executing"),
              std::string::npos);
    EXPECT_EQ(refused.out, "");

    const std::string good = writeFile("one.tmt", Protocol{{SetRecord{}}, {}});
    const std::string longest(234, 'n');
    for (const std::string& usage : {std::string("--disable-wells 1,2,3,4,5,6"),
                                     std::string("--disable-wells 7"), "--name " + longest + "x"}) {
        device_.sim().clearReceivedCommands();
        EXPECT_EQ(run("program " + good + " " + usage).exitStatus, 2) << usage;
        EXPECT_TRUE(device_.sim().receivedCommands().empty()) << usage;
    }
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kSequenceText), "untouched");
    ASSERT_EQ(run("program " + good + " --name " + longest).exitStatus, 0);
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kTestName), longest);
}

// Which words and values the reader takes is its own business, tested with
// it; check and program refuse a file that is no protocol and one with
// values the reader could not take, and say why.
TEST_F(ProgrammingCommandsTest, CheckAndProgramRefuseWhatIsNotAProtocol) {
    const struct {
        std::string file;
        std::string said;
    } cases[] = {
        {writeFile("data.csv", "Time,Force,Position\r\n0.00,1.25,3.10\r\n0.01,1.27,3.12\r\n"),
         "data.csv is not a protocol file: no word of its header names a column\n"},
        {writeFile("mode.tmt",
                   "Name\tXMode\tXFunction\tNumReps\t\r\nA\tDisp\tRamp\t1\t\r\n"
                   "B\tHold\tRamp\t1\t\r\n"),
         "mode.tmt is refused: 1 value could not be read\n"},
    };
    device_.sim().writeEepromItem(eeprom::kSequenceText, "untouched");
    for (const auto& c : cases) {
        for (const char* command : {"check ", "program "}) {
            device_.sim().clearReceivedCommands();
            const CliRun result = run(command + c.file);
            EXPECT_EQ(result.exitStatus, 1) << command << c.file;
            EXPECT_EQ(result.out, "") << command << c.file;
            EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
            EXPECT_TRUE(device_.sim().receivedCommands().empty()) << command << c.file;
        }
    }
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kSequenceText), "untouched");
}

// The limits themselves are the core's; the tool names each refused set on
// standard output and takes the hardware to check against from its options.
TEST_F(ProgrammingCommandsTest, CheckNamesEveryRefusedSetForTheHardwareAsked) {
    const SetRecord calm;
    SetRecord quick = calm;
    quick.magnitude.fill(10.0);
    quick.stretchDurationMs = 100;
    const std::string mixed = writeFile("mixed.tmt", Protocol{{calm, quick}, {}});
    const std::string passing = writeFile("calm.tmt", Protocol{{calm}, {}});
    const struct {
        std::string arguments;
        int exitStatus;
        const char* out;
    } cases[] = {
        {mixed, 1, "Set 2: Error:  Minimum Compress Duration = 250.00 mS\n"},
        {"--hardware-type 2 " + mixed, 1, "Set 2: Error:  Minimum Stretch Duration = 250.00 mS\n"},
        {"--um-per-ustep 0.1 " + passing, 0, ""},
    };
    for (const auto& c : cases) {
        const CliRun result = run("check " + c.arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.arguments << result.err;
        EXPECT_EQ(result.out, c.out) << c.arguments;
    }
}

}  // namespace
}  // namespace kyrvana
