// The simulated test run: the stored sequence text parsed leniently, and the
// data file it leaves on the SD card.

#include "sim/test_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/sim_fixture.h"
#include "support/temporary_folder.h"

namespace kyrvana::sim_tests {
namespace {

const std::string kHeader =
    "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
    "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
    "TimeUnits\n";

TEST(SequenceText, ParsesSetLinesAndStopsAtZeroRepetitions) {
    const auto sequence = sim::parseSequenceText(
        "RepeatAll,0\n" + kHeader +
        "Set1,1000,500,1000,2000,10,500,500,500,500,500,-201,100,0,0,0,0,0,0,0,1,0,Seconds\n"
        "Short,7\n"
        "Stop,1,1,1,1,0\n"
        "After,1,1,1,1,5\n");
    EXPECT_EQ(sequence.repeatAll, 1);  // 0 reads as 1
    ASSERT_EQ(sequence.sets.size(), 1u);
    const auto& set = sequence.sets[0];
    EXPECT_EQ(set.name, "Set1");
    EXPECT_EQ(set.holdMs, 500u);
    EXPECT_EQ(set.repetitions, 10u);
    EXPECT_EQ(set.magnitude[5], -201);
    EXPECT_EQ(set.dataPeriodMs, 100u);
    EXPECT_EQ(set.waveform, 1);
    EXPECT_EQ(set.timeUnits, "Seconds");
}

TEST(SequenceText, SurvivesGarbageAndKeepsAtMostTenSets) {
    std::string text = "RepeatAll,2\r\n" + kHeader;
    for (int i = 0; i < 12; ++i) {
        text += "S,1x,,-5,99999999999999,3,abc\r\n";
    }
    const auto sequence = sim::parseSequenceText(text);
    EXPECT_EQ(sequence.repeatAll, 2);
    ASSERT_EQ(sequence.sets.size(), 10u);
    EXPECT_EQ(sequence.sets[0].loadMs, 1u);
    EXPECT_EQ(sequence.sets[0].holdMs, 0u);
    EXPECT_EQ(sequence.sets[0].unloadMs, 0u);         // negative: 0
    EXPECT_EQ(sequence.sets[0].restMs, 4294967295u);  // saturates
    EXPECT_EQ(sequence.sets[0].timeUnits, "");
}

TEST(TestRun, WritesOneSampleLinePerDataPeriodAndNumbersTheNextTest) {
    test_support::RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    auto& sim = device.sim();
    std::filesystem::path written;
    std::string error;
    EXPECT_FALSE(sim.runTest(&written, &error));  // nothing programmed yet
    EXPECT_FALSE(error.empty());

    // 3 repetitions of a 2 s cycle at 10 Hz: 60 samples; well 2 disabled.
    sim.writeEepromItem(
        eeprom::kSequenceText,
        "RepeatAll,1\n" + kHeader +
            "Ramp,1000,0,1000,0,3,2000,2000,2000,2000,2000,2000,100,0,0,0,0,0,0,0,0,0,"
            "Seconds\n");
    sim.writeEepromItem(eeprom::kTestName, "My test");
    sim.setInternalValue(49, 0x02);
    ASSERT_TRUE(sim.runTest(&written, &error)) << error;
    EXPECT_EQ(written, device.sdCard() / "DATA" / "MY_TEST_0001.CSV");
    EXPECT_EQ(sim.eepromItem(eeprom::kTestNumber), "0002");

    const std::string data = test_support::readFile(written);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 6 + 60);
    // Half-way through the load ramp: 1 mm, 0.8 N; well 2 records nothing.
    EXPECT_NE(data.find("\r\n0.500,Ramp,1,Load,1.0000,0.0000,1.0000,"), std::string::npos);
    EXPECT_NE(data.find("\r\n5.900,Ramp,3,Unload,"), std::string::npos);
    EXPECT_NE(data.find(",0.8000,0.0000,0.8000,"), std::string::npos);
}

}  // namespace
}  // namespace kyrvana::sim_tests
