#include "core/editor/sequence_list_text.h"

#include <algorithm>
#include <cmath>
#include <functional>
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

// One set for each extreme a column can show; each differs from the default
// set in one respect.
std::vector<SetRecord> extremeSets() {
    std::vector<SetRecord> sets;
    const auto add = [&sets](const std::function<void(SetRecord&)>& change) {
        SetRecord set;
        change(set);
        sets.push_back(set);
    };
    add([](SetRecord& set) { set.name = "Preload Ramp 10"; });
    for (int function = 0; function <= static_cast<int>(FunctionType::Sinusoid); ++function) {
        for (int units = 0; units <= static_cast<int>(UnitsCode::Newtons); ++units) {
            add([&](SetRecord& set) {
                set.function[0] = static_cast<FunctionType>(function);
                set.units[0] = static_cast<UnitsCode>(units);
            });
        }
    }
    for (const double magnitude : {999999.0, -23000.0}) {
        add([&](SetRecord& set) { set.magnitude.fill(magnitude); });
    }
    constexpr std::int32_t kDayMs = 86400000;
    for (int units = 0; units <= static_cast<int>(TimeUnits::Deciseconds); ++units) {
        add([&](SetRecord& set) {
            set.timeUnits = static_cast<TimeUnits>(units);
            set.stretchDurationMs = kDayMs;
            set.holdTimeMs = kDayMs;
            set.recoveryDurationMs = kDayMs;
            set.restTimeMs = kDayMs;
        });
    }
    for (const PreloadType type : {PreloadType::FirstRepetition, PreloadType::EveryRepetition}) {
        add([&](SetRecord& set) {
            set.preloadType[0] = type;
            set.preloadMag[0] = 999999.0;
        });
    }
    add([](SetRecord& set) { set.numReps = 999999; });
    for (int rate = 0; rate <= static_cast<int>(DataFrequency::None); ++rate) {
        add([&](SetRecord& set) { set.dataFrequency = static_cast<DataFrequency>(rate); });
    }
    return sets;
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

std::vector<std::string> sequenceListWidestTexts(SequenceListColumn column) {
    Protocol extremes;
    extremes.sets = extremeSets();
    std::vector<std::string> texts;
    for (int index = 0; index < extremes.setCount(); ++index) {
        std::string text = sequenceListCellText(extremes, index, column);
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
            texts.push_back(std::move(text));
        }
    }
    return texts;
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
