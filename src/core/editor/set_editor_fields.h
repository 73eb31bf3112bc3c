#pragma once

// The set editor's fields as the user sees and types them, independent of
// any window: what the editor shows for a set when it opens, the labels that
// depend on the control mode and the hardware, and the rules of its check
// boxes. The dialog copies these to and from its controls; the checks behind
// its OK button are in set_limits.h.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/hardware/well_settings.h"
#include "core/protocol/set_record.h"

namespace kyrvana {

// The choices of the editor's combo boxes, in their order.
inline constexpr std::array<std::string_view, 2> kControlModeChoices = {"Displacement", "Force"};
inline constexpr std::array<std::string_view, 2> kWaveformChoices = {"Ramp", "Sinusoid"};
inline constexpr std::array<std::string_view, 5> kTimeUnitChoices = {"mSeconds", "Seconds",
                                                                     "Minutes", "Hours", "Days"};
inline constexpr std::array<std::string_view, 7> kDataFrequencyChoices = {
    "100", "10", "1", "0.1", "0.01", "0.001", "None"};

struct SetEditorFields {
    std::string name;
    int modeIndex = 0;         // 0 displacement, 1 force
    std::string waveformText;  // "Ramp", "Sinusoid", or another waveform's text
    // Per well, well 1 first; wells 2 to 6 count only when customizing.
    std::array<std::string, kWellCount> magnitudeText;
    std::array<std::string, kWellCount> preloadText;
    bool customizeEachWell = false;
    int preloadIndex = 0;       // "Not Applied", "Applied on 1st...", "ReApply..."
    std::string timeUnitsWord;  // the durations below are in this unit
    std::string loadDurationText;
    std::string holdDurationText;
    std::string recoveryDurationText;
    std::string restDurationText;
    bool doNotDeform = false;
    bool doNotRecover = false;
    std::string repetitionsText;
    std::string frequencyText;  // one of kDataFrequencyChoices

    friend bool operator==(const SetEditorFields&, const SetEditorFields&) = default;
};

// The fields for `set`. Durations and magnitudes are shown as the shortest
// texts that read back as the same values.
SetEditorFields setEditorFields(const SetRecord& set);

// The fields as the editor shows them when it opens: those above with the
// check boxes' rules applied once (an unused phase shows 0; without
// customizing, every well shows well 1's values). OK compares the fields
// with these to tell which ones the user left alone.
SetEditorFields openingFields(const SetRecord& set);

// Waveform texts as the editor shows them ("True Strain" for a strain,
// "InvalidFunction" for Custom and unknown codes) and as it reads them back
// ("Custom" is known there; anything else gives -1).
std::string_view waveformText(FunctionType code);
FunctionType waveformCode(std::string_view text);

// "Load Magnitude (mN)" in force mode; in displacement mode "Stretch
// Magnitude (um)" on a stretching device, else "Compress Magnitude (um)".
std::string_view magnitudeLabel(int modeIndex, int hardwareType);
// "Stretch Duration" / "Compress Duration", "Do Not Stretch" / "Do Not Compress".
std::string_view loadDurationLabel(int hardwareType);
std::string_view doNotDeformLabel(int hardwareType);

// The check boxes' rules: checking "Do Not Deform" empties the load phase
// (0); unchecking it gives a phase of 0 or less (or no number) 10 units back.
// "Do Not Recover" does the same for the recovery phase.
void setDoNotDeform(SetEditorFields& fields, bool checked);
void setDoNotRecover(SetEditorFields& fields, bool checked);
// Unchecking "Customize Each Well" copies well 1 into wells 2 to 6, for the
// magnitudes and the preloads.
void setCustomizeEachWell(SetEditorFields& fields, bool checked);
// Which wells' magnitude and preload fields take input: only well 1 when not
// customizing, else every well that is not disabled.
std::array<bool, kWellCount> wellFieldsEnabled(const SetEditorFields& fields,
                                               const DisabledWells& disabled);

}  // namespace kyrvana
