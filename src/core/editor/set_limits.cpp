#include "core/editor/set_limits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"
#include "core/device/device_link.h"
#include "core/device/device_vocabulary.h"
#include "core/editor/field_numbers.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"

namespace kyrvana {
namespace {

constexpr int kFirstWell = 0;

// The field values read once, in milliseconds and whole numbers.
struct ReadFields {
    std::string name;
    FunctionType waveform = FunctionType::Unknown;
    TypedDuration load;
    TypedDuration hold;
    TypedDuration recovery;
    TypedDuration rest;
    std::array<double, kWellCount> magnitude{};
    std::array<double, kWellCount> preload{};
    std::int32_t repetitions = 0;
    bool force = false;
};

// Repetitions are a count: a negative number is no repetition at all.
std::int32_t repetitionsOf(std::string_view text) {
    return static_cast<std::int32_t>(
        std::clamp<long long>(cAtoll(text), 0, std::numeric_limits<std::int32_t>::max()));
}

// A field whose text is still the one the editor opened with gives back the
// set's own value. Its text reads back as that value in almost every case;
// where it cannot (an unused phase of -5 ms shows 0, a name from a file is
// longer than the editor's 15 characters, a count below 0) the set keeps
// what it had rather than what the text would make of it.
class FieldReader {
  public:
    FieldReader(const SetEditorFields& fields, const SetRecord& original)
        : fields_(fields),
          shown_(openingFields(original)),
          sameUnit_(fields.timeUnitsWord == shown_.timeUnitsWord) {}

    TypedDuration duration(std::string SetEditorFields::*field, std::int32_t own) const {
        if (sameUnit_ && fields_.*field == shown_.*field) {
            return {own, static_cast<double>(own)};
        }
        return typedDuration(fields_.*field, fields_.timeUnitsWord);
    }

    double number(std::array<std::string, kWellCount> SetEditorFields::*field, std::size_t well,
                  double own) const {
        const std::string& text = (fields_.*field)[well];
        return text == (shown_.*field)[well] ? own : fieldNumber(text);
    }

    bool untouched(std::string SetEditorFields::*field) const {
        return fields_.*field == shown_.*field;
    }

  private:
    const SetEditorFields& fields_;
    const SetEditorFields shown_;
    const bool sameUnit_;
};

ReadFields readFields(const SetEditorFields& fields, const SetRecord& original) {
    const FieldReader reader(fields, original);
    ReadFields read;
    read.name =
        reader.untouched(&SetEditorFields::name) ? original.name : fields.name.substr(0, 15);
    read.waveform = waveformCode(fields.waveformText);
    read.load = reader.duration(&SetEditorFields::loadDurationText, original.stretchDurationMs);
    read.hold = reader.duration(&SetEditorFields::holdDurationText, original.holdTimeMs);
    read.recovery =
        reader.duration(&SetEditorFields::recoveryDurationText, original.recoveryDurationMs);
    read.rest = reader.duration(&SetEditorFields::restDurationText, original.restTimeMs);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        // Without "Customize Each Well" every well takes well 1's values.
        const std::size_t source = fields.customizeEachWell ? well : 0;
        read.magnitude[well] =
            reader.number(&SetEditorFields::magnitudeText, source, original.magnitude[source]);
        read.preload[well] =
            reader.number(&SetEditorFields::preloadText, source, original.preloadMag[source]);
    }
    read.repetitions = reader.untouched(&SetEditorFields::repetitionsText)
                           ? original.numReps
                           : repetitionsOf(fields.repetitionsText);
    read.force = fields.modeIndex == codeOf(ControlMode::Force);
    return read;
}

// Micrometres per microstep of well 1 for one travel computation. Each
// computation asks a connected device anew. When the device does not answer,
// the figure it gave when it connected stands in; without one the travel
// cannot be judged and the phase is not refused for it (nullopt).
std::optional<double> umPerMicrostep(const SetLimitsHardware& hardware) {
    if (hardware.link == nullptr) {
        return hardware.umPerMicrostep;
    }
    double answer = 0.0;
    if (hardware.link->QueryUmPerUstep(kFirstWell, answer)) {
        return answer;
    }
    const double known = hardware.link->umPerUstep[kFirstWell];
    return known > 0.0 ? std::optional<double>(known) : std::nullopt;
}

bool beyondTravel(double peak, double milliseconds, const SetLimitsHardware& hardware) {
    const std::optional<double> um = umPerMicrostep(hardware);
    return um.has_value() && peak > reachableTravel(milliseconds, *um);
}

SetRecord savedSet(const SetEditorFields& fields, const ReadFields& read,
                   const SetRecord& original) {
    SetRecord set = original;
    set.name = read.name;
    set.mode[0] = static_cast<ControlMode>(fields.modeIndex);
    set.units[0] = read.force ? UnitsCode::Millinewtons : UnitsCode::Micrometres;
    set.function[0] = read.waveform;
    set.magnitude = read.magnitude;
    set.preloadMag = read.preload;
    set.preloadType[0] = static_cast<PreloadType>(fields.preloadIndex);
    set.stretchDurationMs = read.load.milliseconds;
    set.recoveryDurationMs = read.recovery.milliseconds;
    set.holdTimeMs = read.hold.milliseconds;
    set.restTimeMs = read.rest.milliseconds;
    set.numReps = read.repetitions;
    set.timeUnits = parseTimeUnits(fields.timeUnitsWord);
    set.dataFrequency = dataFrequencyFromHz(fields.frequencyText);
    return set;
}

}  // namespace

std::string SetLimitsResult::text() const {
    std::string joined;
    for (const std::string& message : messages) {
        joined += message;
    }
    return joined;
}

int maximumMagnitude(int modeIndex, int hardwareType, float fullScaleLoad) {
    if (modeIndex == codeOf(ControlMode::Force)) {
        return saturatingCast<int>(std::floor(fullScaleLoad * 1000.0f));
    }
    return stretches(hardwareType) ? kMaximumStretchUm : kMaximumCompressUm;
}

double reachableTravel(double milliseconds, double umPerMicrostep) {
    const double halfSeconds = 0.5 * (milliseconds / 1000.0);
    return 2.0 * kActuatorAcceleration * halfSeconds * halfSeconds * umPerMicrostep;
}

namespace {

// The phases' lengths and the number of repetitions, whatever the set moves.
void checkTiming(const ReadFields& read, bool stretching, SetLimitsResult& result) {
    std::vector<std::string>& messages = result.messages;
    if (!result.doNotDeform && read.load.exactMilliseconds < kMinimumPhaseMs) {
        messages.push_back(cFormat(stretching ? "Error:  Minimum Stretch Duration = %.2f mS\n"
                                              : "Error:  Minimum Compress Duration = %.2f mS\n",
                                   kMinimumPhaseMs));
    }
    if (!result.doNotRecover && read.recovery.exactMilliseconds < kMinimumPhaseMs) {
        messages.push_back(
            cFormat("Error:  Minimum Recovery Duration = %.2f mS\n", kMinimumPhaseMs));
    }
    if (read.rest.exactMilliseconds < 0.0) {
        messages.emplace_back("Error:  Minimum Rest duration = 0.0 S\n");
    }
    if (read.hold.exactMilliseconds < 0.0) {
        messages.emplace_back("Error:  Minimum Hold duration = 0.0 S\n");
    }
    if (read.repetitions == 0) {
        messages.emplace_back("Error:  Minimum Repetitions = 1\n");
    }
}

// The largest magnitude the mode and the load cell allow; a compressing
// device cannot pull, so no well may go below zero.
void checkMagnitudes(const SetEditorFields& fields, const ReadFields& read,
                     const SetLimitsHardware& hardware, bool stretching, SetLimitsResult& result) {
    const std::string label(magnitudeLabel(fields.modeIndex, hardware.hardwareType));
    const int maximum =
        maximumMagnitude(fields.modeIndex, hardware.hardwareType, hardware.fullScaleLoad);
    const auto [lowest, highest] =
        std::minmax_element(read.magnitude.begin(), read.magnitude.end());
    if (*highest > maximum) {
        result.messages.push_back(cFormat("Error:  Maximum %s = %d\n", label.c_str(), maximum));
    }
    if (!stretching && *lowest < 0.0) {
        result.messages.push_back(cFormat("Error:  Minimum %s = %d\n", label.c_str(), 0));
    }
}

// A displacement set: each phase's mean speed against the waveform's limit,
// then whether the actuator can reach the peak within the phase at all.
void checkDisplacementPhases(const ReadFields& read, const SetLimitsHardware& hardware,
                             bool stretching, SetLimitsResult& result) {
    std::vector<std::string>& messages = result.messages;
    const double loadMs = read.load.exactMilliseconds;
    const double recoveryMs = read.recovery.exactMilliseconds;
    const double peak = *std::max_element(read.magnitude.begin(), read.magnitude.end());
    if (hardware.link != nullptr) {
        // Asked as the firmware's editor always asks; the answers do not
        // enter the checks.
        int acceleration = 0;
        double um = 0.0;
        (void)hardware.link->QueryInternalValue(internal_value::kAcceleration, acceleration);
        (void)hardware.link->QueryUmPerUstep(kFirstWell, um);
    }
    const double limit =
        read.waveform == FunctionType::Ramp ? kMaximumRampSpeed : kMaximumOtherSpeed;
    const std::string speedMessage =
        cFormat("Error:  Maximum %s Speed = %.1f mm/S\n",
                std::string(waveformText(read.waveform)).c_str(), limit);
    bool tooFast = false;
    if (!result.doNotDeform && peak / loadMs > limit) {
        messages.push_back(speedMessage);
        tooFast = true;
    }
    if (!result.doNotRecover && peak / recoveryMs > limit) {
        messages.push_back(speedMessage);
        tooFast = true;
    }
    // The travel is judged only for a set that is otherwise possible.
    if (tooFast || !messages.empty()) {
        return;
    }
    if (!result.doNotDeform && beyondTravel(peak, loadMs, hardware)) {
        messages.emplace_back(stretching
                                  ? "Error:  Cannot achieve X Stretch Phase\n\tIncrease Stretch "
                                    "Duration\n\tOr Reduce Stretch Magnitude\n"
                                  : "Error:  Cannot achieve X Compress Phase\n\tIncrease Compress "
                                    "Duration\n\tOr Reduce Compress Magnitude\n");
    }
    if (!result.doNotRecover && beyondTravel(peak, recoveryMs, hardware)) {
        messages.emplace_back(
            "Error:  Cannot achieve X Recovery Phase\n\tIncrease Recovery "
            "Duration\n\tOr Reduce Recovery Magnitude\n");
    }
}

}  // namespace

SetLimitsResult checkSetLimits(const SetEditorFields& fields, const SetRecord& original,
                               const SetLimitsHardware& hardware) {
    std::unique_lock<std::recursive_mutex> hold;
    if (hardware.link != nullptr) {
        hold = hardware.link->Hold();
    }
    SetLimitsResult result;
    result.set = original;
    const ReadFields read = readFields(fields, original);

    // A phase of no length is a phase that is not used.
    result.doNotDeform = fields.doNotDeform || read.load.exactMilliseconds <= 0.0;
    result.doNotRecover = fields.doNotRecover || read.recovery.exactMilliseconds <= 0.0;

    const bool stretching = stretches(hardware.hardwareType);
    checkTiming(read, stretching, result);
    checkMagnitudes(fields, read, hardware, stretching, result);
    if (!read.force) {
        checkDisplacementPhases(read, hardware, stretching, result);
    }

    if (result.passed()) {
        result.set = savedSet(fields, read, original);
    }
    return result;
}

}  // namespace kyrvana
