#include "core/editor/sequence_list_text.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

// What each cell shows restates the list's columns; a row asked for a set
// that is not there must still give cells and no fault.
TEST(SequenceListTextTest, ARowBeyondTheSequenceShowsUnknown) {
    Protocol protocol;
    protocol.append(SetRecord{});
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
