// Comparing what the device holds with the test the program would write: a
// programmed test read back through the sequence text always matches, and
// every field that differs is named once, in the set's own terms.

#include "core/programming/sequence_verification.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "core/programming/sequence_text.h"

namespace kyrvana {
namespace {

using Lines = std::vector<std::string>;

SetRecord setOf(const std::string& name, TimeUnits units) {
    SetRecord set;
    set.name = name;
    set.timeUnits = units;
    return set;
}

// Three sets in milliseconds, minutes and seconds; the second in force
// control.
TestToProgram threeSetTest() {
    TestToProgram test;
    SetRecord first = setOf("Warm up", TimeUnits::Milliseconds);
    first.magnitude.fill(500.0);
    SetRecord second = setOf("Force", TimeUnits::Minutes);
    second.mode[0] = ControlMode::Force;
    second.units[0] = UnitsCode::Millinewtons;
    second.stretchDurationMs = 120000;
    second.preloadMag.fill(20.0);
    second.preloadType[0] = PreloadType::EveryRepetition;
    SetRecord third = setOf("Cool down", TimeUnits::Seconds);
    third.holdTimeMs = 2500;
    third.preloadType[0] = PreloadType::Unknown;
    test.sequence.sets = {first, second, third};
    test.repeatCount = 2;
    test.testName = "Culture 4";
    test.testNumber = "0007";
    test.velocityCode = 7;
    return test;
}

// What Read Device would find after programming: the sequence text as the
// device stores it, read back line by line.
DeviceContents programmedAndReadBack(const TestToProgram& test) {
    DeviceSetTable table;
    fillDeviceSetTable(table, test.sequence);
    std::istringstream text(buildSequenceText(table, test.repeatCount));
    Lines lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    DeviceSetTable read;
    std::int32_t repeats = 0;
    EXPECT_TRUE(parseSequenceLines(lines, read, repeats));
    DeviceContents device = deviceFormOf(test);
    device.sets = usedDeviceSets(read);
    device.repeatCount = repeats;
    return device;
}

TEST(SequenceVerificationTest, AProgrammedTestMatchesWhateverTheDeviceRoundedOrCut) {
    TestToProgram test = threeSetTest();
    // Fractions the device drops, a name longer than it keeps, a "|" that
    // reads back as a blank, a unit word it cuts, a repeat count it raises
    // to one, and a test name that programming cleans.
    test.sequence.sets[0].magnitude = {1500.9, -200.5, 0.4, 1e12, -1e12, 2.0};
    test.sequence.sets[0].preloadMag = {50.7, 0.0, 0.0, 0.0, 0.0, 0.0};
    test.sequence.sets[1].name = "A|name longer than fifteen";
    test.sequence.sets[2].timeUnits = TimeUnits::Unknown;
    test.repeatCount = 0;
    test.testName = "a/b:c";

    const DeviceContents sequence = deviceFormOf(test);
    DeviceContents device = programmedAndReadBack(test);
    device.testName = "a_b_c";

    EXPECT_EQ(listDifferences(device, sequence), Lines{});
    EXPECT_EQ(sequence.sets[1].name, "A name longer t");
}

TEST(SequenceVerificationTest, EachDifferingFieldIsNamedInTheSetsOwnTerms) {
    // One row for each kind of field: a text, a duration in each of its
    // forms, a count, a magnitude in each unit, a rate in each form, a code
    // by word and by number, the number of sets, and the test's own values.
    const std::pair<std::function<void(DeviceContents&)>, Lines> cases[] = {
        {[](DeviceContents& d) { d.sets[0].name = "Warm"; },
         {"Set 1 Name: device \"Warm\", sequence \"Warm up\""}},
        {[](DeviceContents& d) { d.sets[2].holdDurationMs = 2000; },
         {"Set 3 Hold Dur.: device 2.000 (S), sequence 2.500 (S)"}},
        {[](DeviceContents& d) { d.sets[1].loadDurationMs = 180000; },
         {"Set 2 Load Dur.: device 3.000 (m), sequence 2.000 (m)"}},
        {[](DeviceContents& d) { d.sets[2].repetitions = 3; },
         {"Set 3 Reps.: device 3, sequence 1"}},
        {[](DeviceContents& d) { d.sets[0].magnitude[3] = 499; },
         {"Set 1 Well4: device 499 (um), sequence 500 (um)"}},
        {[](DeviceContents& d) { d.sets[1].magnitude[0] = -3; },
         {"Set 2 Well1: device -3 (mN), sequence 1000 (mN)"}},
        {[](DeviceContents& d) { d.sets[1].preload[5] = 0; },
         {"Set 2 Preload Well6: device 0 (mN), sequence 20 (mN)"}},
        {[](DeviceContents& d) { d.sets[0].dataPeriodMs = 500; },
         {"Set 1 Data Frequency: device period 500 ms, sequence 1 Hz"}},
        {[](DeviceContents& d) { d.sets[1].controlMode = 0; },
         {"Set 2 Control Mode: device Disp, sequence Force"}},
        {[](DeviceContents& d) { d.sets[2].preloadType = 7; },
         {"Set 3 Preload Type: device 7, sequence 255"}},
        {[](DeviceContents& d) {
             d.sets.clear();
             d.repeatCount.reset();
             d.velocityCode.reset();
         },
         {"Sets: device 0, sequence 3", "Repeats of Entire Sequence: device none, sequence 2"}},
        {[](DeviceContents& d) { d.homingDisabled = true; },
         {"Disable Homing: device yes, sequence no"}},
        {[](DeviceContents& d) { d.disabledWellsMask = 0x12; },
         {"Disabled Wells: device 2, 5, sequence none"}},
        {[](DeviceContents& d) { d.velocityCode = 5; },
         {"Force Control Velocity Code: device 5, sequence 7"}},
    };
    const DeviceContents sequence = deviceFormOf(threeSetTest());
    for (const auto& [change, expected] : cases) {
        DeviceContents device = sequence;
        change(device);
        EXPECT_EQ(listDifferences(device, sequence), expected);
    }
}

TEST(SequenceVerificationTest, SetsTheDeviceCannotTakeAreDifferencesNotHidden) {
    // Programming stops the device's table at ten sets and at a set of no
    // repetitions; the sets after it never reach the device.
    TestToProgram test = threeSetTest();
    test.sequence.sets[1].numReps = 0;
    EXPECT_EQ(listDifferences(programmedAndReadBack(test), deviceFormOf(test)),
              Lines{"Sets: device 1, sequence 3"});

    TestToProgram eleven = threeSetTest();
    eleven.sequence.sets.resize(11, eleven.sequence.sets[0]);
    EXPECT_EQ(listDifferences(programmedAndReadBack(eleven), deviceFormOf(eleven)),
              Lines{"Sets: device 10, sequence 11"});
}

TEST(SequenceVerificationTest, ANameTheSequenceTextCannotCarryShowsAsDifferent) {
    // A comma ends the name field: the device holds a shorter name and every
    // later field shifted by one.
    TestToProgram test = threeSetTest();
    test.sequence.sets[0].name = "A,B";
    test.sequence.sets[0].restTimeMs = 5;  // read back as the repetitions
    const Lines differences = listDifferences(programmedAndReadBack(test), deviceFormOf(test));
    ASSERT_FALSE(differences.empty());
    EXPECT_EQ(differences.front(), "Set 1 Name: device \"A\", sequence \"A,B\"");
}

}  // namespace
}  // namespace kyrvana
