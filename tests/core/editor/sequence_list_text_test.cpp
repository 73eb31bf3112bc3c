#include "core/editor/sequence_list_text.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

TEST(SequenceListTextTest, RowShowsTheSetAsTheListDoes) {
    Protocol protocol;
    SetRecord set;
    set.name = "Stretch 1";
    set.function[0] = FunctionType::Sinusoid;
    set.units[0] = UnitsCode::Percent;
    set.magnitude = {12.5, 13.5, -0.4, 1e6, 0.0, 7.0};
    set.stretchDurationMs = 1500;
    set.holdTimeMs = 0;
    set.recoveryDurationMs = 0;
    set.restTimeMs = 6000;
    set.timeUnits = TimeUnits::Minutes;
    set.preloadType[0] = PreloadType::FirstRepetition;
    set.preloadMag[0] = 2.25;
    set.numReps = 12;
    set.dataFrequency = DataFrequency::Hz0_01;
    protocol.append(set);

    WellDisabledChecks disabled{};
    disabled[2] = true;
    const std::vector<std::string> expected{
        "Stretch 1", "Sinusoid (%)", "12",   "14",       "  -",         "1000000", "0",   "7",
        "0.03 (m)",  "0.00 (m)",     "None", "0.10 (m)", "2.2 (First)", "12",      "0.01"};
    EXPECT_EQ(sequenceListRowTexts(protocol, 0, disabled), expected);

    for (const int missing : {-1, 1}) {
        for (const std::string& cell : sequenceListRowTexts(protocol, missing)) {
            EXPECT_EQ(cell, "Unknown");
        }
    }
}

// The seconds of one pass are summed by the sequence totals.
TEST(SequenceListTextTest, TotalTimeIsWholeSecondsOfOnePassTimesRepeats) {
    struct Case {
        double pass;
        std::int32_t repeats;
        const char* text;
    };
    for (const Case& c :
         {Case{3661.9, 1, "01:01:01"}, Case{360000.0, 1, "100:00:00"}, Case{2.999, 2, "00:00:04"},
          Case{10.0, -1, "00:00:00"}, Case{1e300, 5, "596523:14:07"}}) {
        EXPECT_EQ(totalTimeText(shownTotalSeconds(c.pass, c.repeats)), c.text) << c.pass;
    }
}

}  // namespace
}  // namespace kyrvana
