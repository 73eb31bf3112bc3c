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

struct EditCase {
    const char* name;
    std::function<void(SequenceViewModel&)> edit;
    bool modified;
};

class SequenceModifiedTest : public testing::TestWithParam<EditCase> {};

TEST_P(SequenceModifiedTest, ComparesWithTheLastOpenedSequence) {
    SequenceViewModel view = openedView();
    ASSERT_FALSE(view.isModified());
    GetParam().edit(view);
    EXPECT_EQ(view.isModified(), GetParam().modified);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SequenceModifiedTest,
    testing::Values(EditCase{"InsertBelow", [](SequenceViewModel& v) { v.insertBelow(0); }, true},
                    EditCase{"Delete", [](SequenceViewModel& v) { v.removeSet(1); }, true},
                    EditCase{"Magnitude",
                             [](SequenceViewModel& v) {
                                 v.workingSequence.sets[0].magnitude[4] = 999.0;
                             },
                             true},
                    EditCase{"RepeatCount",
                             [](SequenceViewModel& v) {
                                 v.repeatText = "4";
                                 v.takeRepeatCountFromField();
                             },
                             true},
                    EditCase{"InsertedThenDeleted",
                             [](SequenceViewModel& v) {
                                 v.insertAbove(1);
                                 v.removeSet(1);
                             },
                             false},
                    EditCase{"RepeatTypedDifferently",
                             [](SequenceViewModel& v) {
                                 v.repeatText = "03";
                                 v.takeRepeatCountFromField();
                             },
                             false},
                    // Neither is kept in a protocol file.
                    EditCase{"TestNameAndHoming",
                             [](SequenceViewModel& v) {
                                 v.testName = "Other";
                                 v.homingDisabled = true;
                             },
                             false},
                    EditCase{"SavedAfterAnEdit",
                             [](SequenceViewModel& v) {
                                 v.removeSet(0);
                                 v.markUnmodified();
                             },
                             false},
                    EditCase{"ReadAfterAnEdit",
                             [](SequenceViewModel& v) {
                                 v.removeSet(0);
                                 v.showRepeatCount(7);
                                 v.refreshFrom(Protocol{});
                             },
                             false}),
    [](const testing::TestParamInfo<EditCase>& edit) { return edit.param.name; });

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
