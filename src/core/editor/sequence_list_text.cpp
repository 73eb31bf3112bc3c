#include "core/editor/sequence_list_text.h"

#include <cmath>
#include <limits>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"
#include "core/protocol/frequency_texts.h"
#include "core/protocol/set_display_texts.h"

namespace kyrvana {
namespace {

constexpr std::array<SequenceListColumnLayout, kSequenceListColumnCount> kColumns{{
    {"Name", 90},
    {"Magnitude", 70},
    {"Well1", 42},
    {"Well2", 42},
    {"Well3", 42},
    {"Well4", 42},
    {"Well5", 42},
    {"Well6", 42},
    {"Load Dur.", 75},
    {"Hold Dur.", 75},
    {"Recover Dur.", 75},
    {"Rest Dur.", 75},
    {"Preload(mN)", 80},
    {"Reps.", 40},
    {"Data(Hz)", 65},
}};

// The device's EEPROM holds ten sets.
constexpr double kDeviceSetCapacity = 10.0;

std::string wellText(const SetRecord& set, int well, const WellDisabledChecks& disabledWells) {
    const auto index = static_cast<std::size_t>(well);
    if (disabledWells[index]) {
        return "  -";
    }
    return cFormat("%.0f", set.magnitude[index]);
}

std::string twoDigits(std::int64_t part) {
    return part < 10 ? cFormat("0%lld", static_cast<long long>(part))
                     : cFormat("%lld", static_cast<long long>(part));
}

}  // namespace

const std::array<SequenceListColumnLayout, kSequenceListColumnCount>& sequenceListColumns() {
    return kColumns;
}

std::string sequenceListCellText(const Protocol& protocol, int setIndex, SequenceListColumn column,
                                 const WellDisabledChecks& disabledWells) {
    const SetRecord* set = protocol.setAt(setIndex);
    if (set == nullptr) {
        return "Unknown";
    }
    switch (column) {
        case SequenceListColumn::Name:
            return set->name;
        case SequenceListColumn::Magnitude:
            return magnitudeDescription(protocol, setIndex);
        case SequenceListColumn::Well1:
        case SequenceListColumn::Well2:
        case SequenceListColumn::Well3:
        case SequenceListColumn::Well4:
        case SequenceListColumn::Well5:
        case SequenceListColumn::Well6:
            return wellText(*set,
                            static_cast<int>(column) - static_cast<int>(SequenceListColumn::Well1),
                            disabledWells);
        case SequenceListColumn::LoadDuration:
            return loadDurationText(protocol, setIndex);
        case SequenceListColumn::HoldDuration:
            return holdDurationText(protocol, setIndex);
        case SequenceListColumn::RecoverDuration:
            return recoveryDurationText(protocol, setIndex);
        case SequenceListColumn::RestDuration:
            return restDurationText(protocol, setIndex);
        case SequenceListColumn::Preload:
            return preloadText(protocol, setIndex);
        case SequenceListColumn::Reps:
            return cFormat("%d", set->numReps);
        case SequenceListColumn::DataFrequency:
            return std::string(dataFrequencyHzText(set->dataFrequency));
    }
    return "Unknown";
}

std::vector<std::string> sequenceListRowTexts(const Protocol& protocol, int setIndex,
                                              const WellDisabledChecks& disabledWells) {
    std::vector<std::string> cells;
    cells.reserve(kSequenceListColumnCount);
    for (std::size_t column = 0; column < kSequenceListColumnCount; ++column) {
        cells.push_back(sequenceListCellText(
            protocol, setIndex, static_cast<SequenceListColumn>(column), disabledWells));
    }
    return cells;
}

std::int32_t shownTotalSeconds(double onePassSeconds, std::int32_t repeatCount) {
    const double total = std::floor(onePassSeconds) * static_cast<double>(repeatCount);
    return saturatingCast<std::int32_t>(total);
}

std::string totalTimeText(std::int32_t totalSeconds) {
    const std::int64_t total = totalSeconds < 0 ? 0 : totalSeconds;
    const std::string hours = twoDigits(total / 3600);
    const std::string minutes = twoDigits(total % 3600 / 60);
    const std::string seconds = twoDigits(total % 60);
    return cFormat("%s:%s:%s", hours.c_str(), minutes.c_str(), seconds.c_str());
}

double usedMemoryPercent(std::size_t setCount) {
    const double percent = static_cast<double>(setCount) * 100.0 / kDeviceSetCapacity;
    return std::round(percent * 10.0) / 10.0;
}

std::string usedMemoryText(double percent) {
    return cFormat("%.1f", percent);
}

}  // namespace kyrvana
