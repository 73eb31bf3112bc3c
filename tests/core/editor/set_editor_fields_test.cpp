// The rules of the set editor's check boxes. What it shows for a set is
// checked by taking an unchanged set back through the limit checks.

#include "core/editor/set_editor_fields.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

TEST(SetEditorFieldsTest, DoNotBoxesEmptyAndRestoreTheirPhase) {
    SetEditorFields fields = setEditorFields(SetRecord{});
    setDoNotRecover(fields, true);
    EXPECT_EQ(fields.recoveryDurationText, "0");
    setDoNotRecover(fields, false);
    EXPECT_EQ(fields.recoveryDurationText, "10");
    fields.loadDurationText = "2.5";
    setDoNotDeform(fields, false);
    EXPECT_EQ(fields.loadDurationText, "2.5");  // a used phase keeps its length
    fields.loadDurationText = "abc";
    setDoNotDeform(fields, false);
    EXPECT_EQ(fields.loadDurationText, "10");
}

TEST(SetEditorFieldsTest, CustomizingAndWellEnabling) {
    SetEditorFields fields = setEditorFields(SetRecord{});
    DisabledWells disabled;
    disabled.flags[2] = 1;
    EXPECT_EQ(wellFieldsEnabled(fields, disabled),
              (std::array<bool, 6>{true, false, false, false, false, false}));
    setCustomizeEachWell(fields, true);
    // One-character texts are assigned as characters: GCC 12 at -O3 warns
    // falsely of an overlapping copy when a one-character literal is.
    fields.magnitudeText[4] = '7';
    fields.preloadText[1] = '3';
    EXPECT_EQ(wellFieldsEnabled(fields, disabled),
              (std::array<bool, 6>{true, true, false, true, true, true}));
    fields.magnitudeText[0] = "12";
    fields.preloadText[0] = '1';
    setCustomizeEachWell(fields, false);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        EXPECT_EQ(fields.magnitudeText[well], "12");
        EXPECT_EQ(fields.preloadText[well], "1");
    }
}

}  // namespace
}  // namespace kyrvana
