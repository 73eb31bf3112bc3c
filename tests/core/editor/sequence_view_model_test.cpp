// When the sequence in the view counts as modified: the window asks to save
// it before closing, Open and Read Device only then.

#include "core/editor/sequence_view_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace kyrvana {
namespace {

Protocol twoSets() {
    Protocol sequence;
    sequence.append(SetRecord{});
    SetRecord second;
    second.name = "Hold";
    second.holdTimeMs = 5000;
    sequence.append(second);
    return sequence;
}

// A view showing a sequence just opened or read from the device.
SequenceViewModel openedView() {
    SequenceViewModel view;
    view.showRepeatCount(3);
    view.refreshFrom(twoSets());
    return view;
}

using View = SequenceViewModel;

void typeRepeats(View& view, const char* text) {
    view.repeatText = text;
    view.takeRepeatCountFromField();
}

TEST(SequenceModified, ComparesWithTheLastOpenedSequence) {
    const struct {
        const char* edit;
        std::function<void(View&)> apply;
        bool modified;
    } cases[] = {
        {"delete", [](View& v) { v.removeSet(1); }, true},
        {"repeat count", [](View& v) { typeRepeats(v, "4"); }, true},
        {"inserted, deleted",
         [](View& v) {
             v.insertAbove(1);
             v.removeSet(1);
         },
         false},
        {"repeat typed otherwise", [](View& v) { typeRepeats(v, "03"); }, false},
        // Not kept in a protocol file.
        {"test name", [](View& v) { v.testName = "Other"; }, false},
        {"saved after an edit",
         [](View& v) {
             v.removeSet(0);
             v.markUnmodified();
         },
         false},
        {"read after an edit",
         [](View& v) {
             v.removeSet(0);
             v.showRepeatCount(7);
             v.refreshFrom(Protocol{});
         },
         false},
    };
    for (const auto& c : cases) {
        View view = openedView();
        ASSERT_FALSE(view.isModified());
        c.apply(view);
        EXPECT_EQ(view.isModified(), c.modified) << c.edit;
    }
}

TEST(SequenceModified, NumbersThatAreNotNumbersStillCompareEqual) {
    Protocol sequence = twoSets();
    sequence.sets[0].magnitude[2] = std::nan("");
    sequence.sets[1].tolerance = std::numeric_limits<double>::quiet_NaN();
    SequenceViewModel view;
    view.refreshFrom(sequence);
    EXPECT_FALSE(view.isModified());

    // A real number where there was none is a change.
    view.workingSequence.sets[0].magnitude[2] = 0.0;
    EXPECT_TRUE(view.isModified());
}

}  // namespace
}  // namespace kyrvana
