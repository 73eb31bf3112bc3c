// What the set editor shows for a set, and the rules of its check boxes.

#include "core/editor/set_editor_fields.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

TEST(SetEditorFieldsTest, FieldsOfASet) {
    SetRecord set;
    set.name = "Warm up";
    set.mode[0] = ControlMode::Force;
    set.function[0] = FunctionType::Strain;
    set.magnitude = {1500.25, 1500.25, 1500.25, 1500.25, 1500.25, 1500.25};
    set.preloadMag = {5, 5, 5, 5, 5, 5.5};
    set.preloadType[0] = PreloadType::FirstRepetition;
    set.timeUnits = TimeUnits::Minutes;
    set.stretchDurationMs = 90000;
    set.recoveryDurationMs = 0;
    set.holdTimeMs = 1;
    set.numReps = 40;
    set.dataFrequency = DataFrequency::None;

    const SetEditorFields fields = setEditorFields(set);
    EXPECT_EQ(fields.name, "Warm up");
    EXPECT_EQ(fields.modeIndex, 1);
    EXPECT_EQ(fields.waveformText, "True Strain");
    EXPECT_EQ(fields.magnitudeText[0], "1500.25");
    EXPECT_EQ(fields.preloadText[5], "5.5");
    EXPECT_TRUE(fields.customizeEachWell);  // one preload differs
    EXPECT_EQ(fields.preloadIndex, 1);
    EXPECT_EQ(fields.timeUnitsWord, "Minutes");
    EXPECT_EQ(fields.loadDurationText, "1.5");
    EXPECT_EQ(fields.recoveryDurationText, "0");
    EXPECT_FALSE(fields.doNotDeform);
    EXPECT_TRUE(fields.doNotRecover);
    EXPECT_EQ(fields.repetitionsText, "40");
    EXPECT_EQ(fields.frequencyText, "None");

    EXPECT_FALSE(setEditorFields(SetRecord{}).customizeEachWell);
}

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
