// kyrvana-cli program, read and check: the built tool against a simulated
// stimulator on a pseudo-terminal, named with --port.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"
#include "core/protocol/protocol_writer.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

class ProgrammingCommandsTest : public test::CliSimTest {
  protected:
    // The file's path, quoted for the command line.
    std::string writeFile(const char* name, Protocol sequence) const {
        EXPECT_TRUE(writeProtocolFile(folder_.file(name), sequence, HardwareSettings{}).written());
        return quoted(name);
    }

    // As if the disk had room for 512 bytes per file: the shell limits the
    // files the tool may grow (a write beyond fails with EFBIG rather than
    // ending the tool), and standard output goes nowhere so that only the
    // tool's own files meet the limit.
    test::CliRun runOnAFullDisk(const std::string& arguments) const {
        return run(arguments, R"(sh -c 'trap "" XFSZ; ulimit -f 1; exec "$0" "$@" >/dev/null')");
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

    const test::CliRun read = runOnAFullDisk("read -o '" + (kept / "out.tmt").string() + "'");
    EXPECT_EQ(read.exitStatus, 1);
    EXPECT_NE(read.err.find("kyrvana-cli: cannot write " + (kept / "out.tmt").string() +
                            ": File too large; an earlier file of that name is unchanged\n"),
              std::string::npos)
        << read.err;
    EXPECT_EQ(test_support::readFile(kept / "out.tmt"), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(kept), fs::directory_iterator()), 1);
}

TEST_F(ProgrammingCommandsTest, OptionsOverrideTheFileAndTheForm) {
    const test::CliRun result = run("program " + writeFile("one.tmt", Protocol{{SetRecord{}}, {}}) +
                                    " --name 'a/b' --repeats 5 --velocity-code 9 "
                                    "--disable-wells 1,6 --disable-homing");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The test-name warning is said, and the programming goes on.
    EXPECT_NE(result.err.find("Warning:  Invalid Characters will be removed\n"), std::string::npos);
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kTestName), "a_b");
    // The rest as the device gives it back (how it stores them is the
    // programming's business, tested with it).
    const test::CliRun read = run("read");
    EXPECT_NE(read.err.find("Disabled wells: 1,6\nHoming disabled: yes\n"), std::string::npos);
    EXPECT_NE(read.out.find("ForceVelocityCode\t9\nRepeatTestSequence\t5\n"), std::string::npos);
}

TEST_F(ProgrammingCommandsTest, RefusedSequenceAndWrongWellsChangeNothing) {
    device_.sim().writeEepromItem(eeprom::kSequenceText, "untouched");
    const test::CliRun refused = run("program " + writeFile("empty.tmt", Protocol{}));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("Please Specify a Test Sequence Before Executing"),
              std::string::npos);
    EXPECT_EQ(refused.out, "");

    const std::string good = writeFile("one.tmt", Protocol{{SetRecord{}}, {}});
    for (const char* wells : {"1,2,3,4,5,6", "7", "1,,2", "x"}) {
        EXPECT_EQ(run("program " + good + " --disable-wells '" + wells + "'").exitStatus, 2)
            << wells;
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
        const test::CliRun result = run("check " + c.arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.arguments << result.err;
        EXPECT_EQ(result.out, c.out) << c.arguments;
    }
}

}  // namespace
}  // namespace kyrvana
