// kyrvana-cli program, read and check: the built tool against a simulated
// stimulator on a pseudo-terminal, named with --port.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_sim_test.h"
#include "core/common/c_locale_text.h"
#include "core/protocol/protocol_writer.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

// Ten sets with consistent units, so that the device gives back exactly what
// a file holds once magnitudes are whole numbers.
Protocol tenWholeSets() {
    Protocol sequence;
    for (int i = 0; i < 10; ++i) {
        SetRecord set;
        set.name = cFormat("Set %d", i + 1);
        const bool force = i % 2 == 1;
        set.mode[0] = force ? ControlMode::Force : ControlMode::Displacement;
        set.units[0] = force ? UnitsCode::Millinewtons : UnitsCode::Micrometres;
        set.function[0] = i % 3 == 0 ? FunctionType::Sinusoid : FunctionType::Ramp;
        set.magnitude.fill(100.0 * (i + 1));
        set.magnitude[5] = 50.0;
        set.preloadType[0] = static_cast<PreloadType>(i % 3);
        set.preloadMag.fill(i % 3 == 0 ? 0.0 : 20.0);
        set.stretchDurationMs = 1000 + 100 * i;
        set.recoveryDurationMs = 1500;
        set.holdTimeMs = 10 * i;
        set.restTimeMs = 500;
        set.numReps = i + 1;
        set.timeUnits = static_cast<TimeUnits>(i % 6);
        set.dataFrequency = static_cast<DataFrequency>(i % 7);
        sequence.append(set);
    }
    return sequence;
}

class ProgrammingCommandsTest : public test::CliSimTest {
  protected:
    std::string path(const char* name) const { return folder_.file(name); }

    std::string writeFile(const char* name, Protocol sequence, const HardwareSettings& hardware) {
        EXPECT_TRUE(writeProtocolFile(path(name), sequence, hardware).written());
        return path(name);
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
    const std::string file = writeFile("ten.tmt", tenWholeSets(), HardwareSettings{});
    ASSERT_EQ(run("program '" + file + "'").exitStatus, 0);
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
    Protocol one;
    one.append(SetRecord{});
    const std::string file = writeFile("one.tmt", one, HardwareSettings{});
    const test::CliRun result = run("program '" + file +
                                    "' --name 'a/b' --repeats 5 --velocity-code 9 "
                                    "--disable-wells 1,6 --disable-homing");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The test-name warning is said, and the programming goes on.
    EXPECT_NE(result.err.find("Warning:  Invalid Characters will be removed\n"), std::string::npos);
    sim::SimulatedStimulator& sim = device_.sim();
    EXPECT_EQ(sim.eepromItem(eeprom::kTestName), "a_b");
    EXPECT_EQ(sim.eepromItem(eeprom::kSequenceText).substr(0, 12), "RepeatAll,5\n");
    for (int well = 0; well < 6; ++well) {
        EXPECT_EQ(sim.controlSetting(well, 3), 9u);
    }
    EXPECT_EQ(sim.internalValue(48), 1);
    EXPECT_EQ(sim.internalValue(49), 33);

    const test::CliRun read = run("read");
    EXPECT_NE(read.err.find("Disabled wells: 1,6\nHoming disabled: yes\n"), std::string::npos);
    EXPECT_NE(read.out.find("ForceVelocityCode\t9\nRepeatTestSequence\t5\n"), std::string::npos);
}

TEST_F(ProgrammingCommandsTest, RefusedSequenceAndWrongWellsChangeNothing) {
    const std::string file = writeFile("empty.tmt", Protocol{}, HardwareSettings{});
    device_.sim().writeEepromItem(eeprom::kSequenceText, "untouched");
    const test::CliRun refused = run("program '" + file + "'");
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("Please Specify a Test Sequence Before Executing"),
              std::string::npos);
    EXPECT_EQ(refused.out, "");

    Protocol one;
    one.append(SetRecord{});
    const std::string good = writeFile("one.tmt", one, HardwareSettings{});
    for (const char* wells : {"1,2,3,4,5,6", "7", "1,,2", "x"}) {
        EXPECT_EQ(run("program '" + good + "' --disable-wells '" + wells + "'").exitStatus, 2)
            << wells;
    }
    EXPECT_EQ(device_.sim().eepromItem(eeprom::kSequenceText), "untouched");
}

TEST_F(ProgrammingCommandsTest, CheckExplainsEveryRefusedSet) {
    Protocol sequence;
    SetRecord calm;
    sequence.append(calm);
    SetRecord large = calm;
    large.magnitude.fill(5000.0);
    sequence.append(large);
    SetRecord quick = calm;
    quick.magnitude.fill(10.0);
    quick.stretchDurationMs = 100;
    quick.numReps = 0;
    sequence.append(quick);
    const std::string file = writeFile("mixed.tmt", sequence, HardwareSettings{});

    const test::CliRun compress = run("check '" + file + "'");
    EXPECT_EQ(compress.exitStatus, 1);
    EXPECT_EQ(compress.out,
              "Set 2: Error:  Maximum Compress Magnitude (um) = 2000\n"
              "Set 2: Error:  Maximum Ramp Speed = 4.0 mm/S\n"
              "Set 2: Error:  Maximum Ramp Speed = 4.0 mm/S\n"
              "Set 3: Error:  Minimum Compress Duration = 250.00 mS\n"
              "Set 3: Error:  Minimum Repetitions = 1\n");

    // The stretching hardware takes 5000 um, but not in a second each way.
    const test::CliRun stretch = run("check --hardware-type 2 '" + file + "'");
    EXPECT_EQ(stretch.out,
              "Set 2: Error:  Maximum Ramp Speed = 4.0 mm/S\n"
              "Set 2: Error:  Maximum Ramp Speed = 4.0 mm/S\n"
              "Set 3: Error:  Minimum Stretch Duration = 250.00 mS\n"
              "Set 3: Error:  Minimum Repetitions = 1\n");

    const test::CliRun passing =
        run("check --um-per-ustep 0.1 '" +
            writeFile("calm.tmt", Protocol{{calm}, {}}, HardwareSettings{}) + "'");
    EXPECT_EQ(passing.exitStatus, 0) << passing.out;
    EXPECT_EQ(passing.out, "");

    const test::CliRun empty =
        run("check '" + writeFile("none.tmt", Protocol{}, HardwareSettings{}) + "'");
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_EQ(empty.out, "Sequence: Please Specify a Test Sequence Before Executing\n");
}

}  // namespace
}  // namespace kyrvana
