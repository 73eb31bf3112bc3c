#include "core/protocol/set_display_texts.h"

#include "core/common/c_locale_text.h"
#include "core/protocol/enumeration_texts.h"

namespace kyrvana {
namespace {

constexpr const char* kUnknown = "Unknown";

std::string phaseOrNone(const Protocol& protocol, int index, std::int32_t SetRecord::*phase) {
    const SetRecord* set = protocol.setAt(index);
    if (set == nullptr) {
        return kUnknown;
    }
    if (set->*phase <= 0) {
        return "None";
    }
    return durationText(set->*phase, set->timeUnits);
}

std::string phase(const Protocol& protocol, int index, std::int32_t SetRecord::*phaseMs) {
    const SetRecord* set = protocol.setAt(index);
    return set == nullptr ? kUnknown : durationText(set->*phaseMs, set->timeUnits);
}

}  // namespace

std::string durationText(std::int32_t milliseconds, TimeUnits units) {
    const std::string letter(timeUnitsLetter(units));
    if (units == TimeUnits::Milliseconds) {
        return cFormat("%.0f (%s)", static_cast<double>(milliseconds), letter.c_str());
    }
    return cFormat("%.2f (%s)", static_cast<double>(milliseconds) / millisecondsPerTimeUnit(units),
                   letter.c_str());
}

std::string magnitudeDescription(const Protocol& protocol, int index) {
    const SetRecord* set = protocol.setAt(index);
    if (set == nullptr) {
        return kUnknown;
    }
    const std::string function(formatFunctionType(set->function[0]));
    const std::string units(formatUnits(set->units[0]));
    return cFormat("%s (%s)", function.c_str(), units.c_str());
}

std::string loadDurationText(const Protocol& protocol, int index) {
    return phaseOrNone(protocol, index, &SetRecord::stretchDurationMs);
}

std::string recoveryDurationText(const Protocol& protocol, int index) {
    return phaseOrNone(protocol, index, &SetRecord::recoveryDurationMs);
}

std::string holdDurationText(const Protocol& protocol, int index) {
    return phase(protocol, index, &SetRecord::holdTimeMs);
}

std::string restDurationText(const Protocol& protocol, int index) {
    return phase(protocol, index, &SetRecord::restTimeMs);
}

std::string preloadText(const Protocol& protocol, int index) {
    const SetRecord* set = protocol.setAt(index);
    if (set == nullptr) {
        return kUnknown;
    }
    if (set->preloadType[0] == PreloadType::None) {
        return "None";
    }
    const std::string type(formatPreloadType(set->preloadType[0]));
    return cFormat("%.1f (%s)", set->preloadMag[0], type.c_str());
}

}  // namespace kyrvana
