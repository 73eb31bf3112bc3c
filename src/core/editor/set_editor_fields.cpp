#include "core/editor/set_editor_fields.h"

#include <algorithm>
#include <functional>

#include "core/common/c_locale_text.h"
#include "core/common/shortest_number_text.h"
#include "core/device/device_vocabulary.h"
#include "core/editor/field_numbers.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"

namespace kyrvana {
namespace {

// What an emptied phase gets back when its box is unchecked again.
constexpr const char* kRestoredDurationText = "10";

template <typename Values>
bool allEqual(const Values& values) {
    return std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
}

// The duration text of a phase whose "do not" box was just checked or
// unchecked. Returned as a new string rather than assigned in place: GCC 12 at
// -O3 warns falsely of an overlapping copy (-Wrestrict) when a one-character
// literal is assigned over a string.
std::string phaseDurationText(const std::string& durationText, bool skipped) {
    if (skipped) {
        return "0";
    }
    const double value = cAtof(durationText);
    // NaN fails the comparison and so also gets the default back.
    if (!(value > 0.0)) {
        return kRestoredDurationText;
    }
    return durationText;
}

}  // namespace

SetEditorFields setEditorFields(const SetRecord& set) {
    SetEditorFields fields;
    fields.name = set.name;
    fields.modeIndex = codeOf(set.mode[0]);
    fields.waveformText = waveformText(set.function[0]);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        fields.magnitudeText[well] = shortestNumberText(set.magnitude[well]);
        fields.preloadText[well] = shortestNumberText(set.preloadMag[well]);
    }
    fields.customizeEachWell = !(allEqual(set.magnitude) && allEqual(set.preloadMag));
    fields.preloadIndex = codeOf(set.preloadType[0]);
    fields.timeUnitsWord = formatTimeUnits(set.timeUnits);
    fields.loadDurationText = durationFieldText(set.stretchDurationMs, fields.timeUnitsWord);
    fields.holdDurationText = durationFieldText(set.holdTimeMs, fields.timeUnitsWord);
    fields.recoveryDurationText = durationFieldText(set.recoveryDurationMs, fields.timeUnitsWord);
    fields.restDurationText = durationFieldText(set.restTimeMs, fields.timeUnitsWord);
    fields.doNotDeform = set.stretchDurationMs <= 0;
    fields.doNotRecover = set.recoveryDurationMs <= 0;
    fields.repetitionsText = cFormat("%d", set.numReps);
    fields.frequencyText = dataFrequencyHzText(set.dataFrequency);
    return fields;
}

SetEditorFields openingFields(const SetRecord& set) {
    SetEditorFields fields = setEditorFields(set);
    setDoNotDeform(fields, fields.doNotDeform);
    setDoNotRecover(fields, fields.doNotRecover);
    setCustomizeEachWell(fields, fields.customizeEachWell);
    return fields;
}

std::string_view waveformText(FunctionType code) {
    switch (code) {
        case FunctionType::Step:
            return "Step";
        case FunctionType::Ramp:
            return "Ramp";
        case FunctionType::Strain:
            return "True Strain";
        case FunctionType::Sinusoid:
            return "Sinusoid";
        default:
            return "InvalidFunction";
    }
}

FunctionType waveformCode(std::string_view text) {
    if (text == "Step") {
        return FunctionType::Step;
    }
    if (text == "Ramp") {
        return FunctionType::Ramp;
    }
    if (text == "True Strain") {
        return FunctionType::Strain;
    }
    if (text == "Custom") {
        return FunctionType::Custom;
    }
    if (text == "Sinusoid") {
        return FunctionType::Sinusoid;
    }
    return FunctionType::Unknown;
}

std::string_view magnitudeLabel(int modeIndex, int hardwareType) {
    if (modeIndex == codeOf(ControlMode::Force)) {
        return "Load Magnitude (mN)";
    }
    return stretches(hardwareType) ? "Stretch Magnitude (um)" : "Compress Magnitude (um)";
}

std::string_view loadDurationLabel(int hardwareType) {
    return stretches(hardwareType) ? "Stretch Duration" : "Compress Duration";
}

std::string_view doNotDeformLabel(int hardwareType) {
    return stretches(hardwareType) ? "Do Not Stretch" : "Do Not Compress";
}

void setDoNotDeform(SetEditorFields& fields, bool checked) {
    fields.doNotDeform = checked;
    fields.loadDurationText = phaseDurationText(fields.loadDurationText, checked);
}

void setDoNotRecover(SetEditorFields& fields, bool checked) {
    fields.doNotRecover = checked;
    fields.recoveryDurationText = phaseDurationText(fields.recoveryDurationText, checked);
}

void setCustomizeEachWell(SetEditorFields& fields, bool checked) {
    fields.customizeEachWell = checked;
    if (!checked) {
        std::fill(fields.magnitudeText.begin() + 1, fields.magnitudeText.end(),
                  fields.magnitudeText[0]);
        std::fill(fields.preloadText.begin() + 1, fields.preloadText.end(), fields.preloadText[0]);
    }
}

std::array<bool, kWellCount> wellFieldsEnabled(const SetEditorFields& fields,
                                               const DisabledWells& disabled) {
    std::array<bool, kWellCount> enabled{};
    if (!fields.customizeEachWell) {
        enabled[0] = true;
        return enabled;
    }
    for (std::size_t well = 0; well < kWellCount; ++well) {
        enabled[well] = disabled.flags[well] == 0;
    }
    return enabled;
}

}  // namespace kyrvana
