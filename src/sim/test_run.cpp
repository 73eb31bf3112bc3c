#include "sim/test_run.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/common/c_locale_text.h"
#include "core/device/device_vocabulary.h"

namespace kyrvana::sim {

namespace {

constexpr std::size_t kMaxSets = 10;
constexpr char kWellLetters[] = "XYZABC";

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    while (true) {
        const std::size_t at = text.find(separator);
        pieces.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return pieces;
        }
        text.remove_prefix(at + 1);
    }
}

std::int64_t field(const std::vector<std::string_view>& fields, std::size_t index) {
    return index < fields.size() ? cAtoll(fields[index]) : 0;
}

std::uint32_t unsignedField(const std::vector<std::string_view>& fields, std::size_t index) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(
        field(fields, index), 0, std::numeric_limits<std::uint32_t>::max()));
}

ProgrammedSet parseSetLine(std::string_view line) {
    const auto fields = split(line, ',');
    ProgrammedSet set;
    set.name.assign(fields[0].substr(0, 15));
    set.loadMs = unsignedField(fields, 1);
    set.holdMs = unsignedField(fields, 2);
    set.unloadMs = unsignedField(fields, 3);
    set.restMs = unsignedField(fields, 4);
    set.repetitions = unsignedField(fields, 5);
    for (std::size_t well = 0; well < 6; ++well) {
        set.magnitude[well] = field(fields, 6 + well);
        set.preload[well] = field(fields, 13 + well);
    }
    set.dataPeriodMs = unsignedField(fields, 12);
    set.preloadType = static_cast<int>(field(fields, 19) & 0xFF);
    set.waveform = static_cast<int>(field(fields, 20) & 0xFF);
    set.controlMode = static_cast<int>(field(fields, 21) & 0xFF);
    if (fields.size() > 22) {
        set.timeUnits.assign(fields[22].substr(0, 9));
    }
    return set;
}

// 0 at the start of the load phase, 1 at its end.
double profile(int waveform, double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    switch (waveform) {
        case 0:
            return fraction;
        case 3:
            return 1.0;
        default:
            return (1.0 - std::cos(std::numbers::pi * fraction)) / 2.0;
    }
}

struct Sample {
    const char* phase;
    double level;  // 0 rest .. 1 full magnitude
};

Sample sampleAt(const ProgrammedSet& set, std::uint64_t withinCycle) {
    const auto fraction = [](std::uint64_t part, std::uint64_t whole) {
        return whole == 0 ? 1.0 : static_cast<double>(part) / static_cast<double>(whole);
    };
    if (withinCycle < set.loadMs) {
        return {"Load", profile(set.waveform, fraction(withinCycle, set.loadMs))};
    }
    withinCycle -= set.loadMs;
    if (withinCycle < set.holdMs) {
        return {"Hold", 1.0};
    }
    withinCycle -= set.holdMs;
    if (withinCycle < set.unloadMs) {
        return {"Unload", 1.0 - profile(set.waveform, fraction(withinCycle, set.unloadMs))};
    }
    return {"Rest", 0.0};
}

}  // namespace

std::string firstLine(const std::string& text) {
    const std::size_t end = text.find_first_of("\r\n");
    return text.substr(0, end);
}

ProgrammedSequence parseSequenceText(std::string_view text) {
    ProgrammedSequence sequence;
    for (std::string_view line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.starts_with("Name,")) {
            continue;
        }
        if (line.starts_with("RepeatAll,")) {
            sequence.repeatAll = std::max(1, cAtoi(line.substr(10)));
            continue;
        }
        if (sequence.sets.size() >= kMaxSets) {
            break;
        }
        ProgrammedSet set = parseSetLine(line);
        if (set.repetitions == 0) {
            break;
        }
        sequence.sets.push_back(std::move(set));
    }
    return sequence;
}

std::string testDataFileName(const std::string& testName, const std::string& testNumber) {
    std::string name;
    for (char c : firstLine(testName)) {
        if (name.size() == 20) {
            break;
        }
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name.push_back(plain ? c : '_');
    }
    if (name.empty()) {
        name = "TEST";
    }
    return cToUpper(name) + cFormat("_%04d.CSV", std::max(0, cAtoi(firstLine(testNumber))) % 10000);
}

std::string testDataText(const TestRunSetup& setup) {
    const ProgrammedSequence& sequence = setup.sequence;
    std::string text = std::string(modelName(hardwareModel(setup.hardwareType))) +
                       " test data\r\nTest name," + firstLine(setup.testName) + "\r\nTest number," +
                       firstLine(setup.testNumber) +
                       cFormat("\r\nSets,%zu\r\nRepeats,%d\r\nTime (s),Set,Repetition,Phase",
                               sequence.sets.size(), sequence.repeatAll);
    for (const char* what : {" Position (mm)", " Force (N)"}) {
        for (int well = 0; well < 6; ++well) {
            text += cFormat(",%c%s", kWellLetters[well], what);
        }
    }
    text += "\r\n";

    std::size_t samples = 0;
    std::uint64_t setStartMs = 0;
    for (int round = 0; round < sequence.repeatAll; ++round) {
        for (const ProgrammedSet& set : sequence.sets) {
            const std::uint64_t cycleMs =
                std::uint64_t{set.loadMs} + set.holdMs + set.unloadMs + set.restMs;
            const std::uint64_t setMs = cycleMs * set.repetitions;
            for (std::uint64_t t = 0; set.dataPeriodMs != 0 && t < setMs; t += set.dataPeriodMs) {
                if (samples++ >= setup.maxSamples) {
                    return text;
                }
                const Sample sample = sampleAt(set, t % cycleMs);
                std::array<double, 6> position{};
                std::array<double, 6> force{};
                for (std::size_t well = 0; well < 6; ++well) {
                    if ((setup.disabledWells >> well) & 1u) {
                        continue;
                    }
                    const double preloadN = set.preloadType != 0
                                                ? static_cast<double>(set.preload[well]) / 1000.0
                                                : 0.0;
                    const double magnitude = static_cast<double>(set.magnitude[well]);
                    if (set.controlMode == 1) {
                        force[well] = magnitude / 1000.0 * sample.level + preloadN;
                        position[well] = force[well] / setup.stiffnessNPerMm;
                    } else {
                        position[well] = magnitude / 1000.0 * sample.level;
                        force[well] = position[well] * setup.stiffnessNPerMm + preloadN;
                    }
                }
                text += cFormat("%.3f,%s,%llu,%s", static_cast<double>(setStartMs + t) / 1000.0,
                                set.name.c_str(), static_cast<unsigned long long>(t / cycleMs + 1),
                                sample.phase);
                for (double mm : position) {
                    text += cFormat(",%.4f", mm);
                }
                for (double newtons : force) {
                    text += cFormat(",%.4f", newtons);
                }
                text += "\r\n";
            }
            setStartMs += setMs;
        }
    }
    return text;
}

std::string demoSequenceText() {
    return "RepeatAll,1\n"
           "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
           "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
           "TimeUnits\n"
           "WarmUp,2000,1000,2000,1000,5,500,500,500,500,500,500,100,0,0,0,0,0,0,0,0,0,Seconds\n"
           "Cyclic,500,0,500,0,20,1000,1000,800,800,600,600,10,0,0,0,0,0,0,0,4,0,Seconds\n";
}

}  // namespace kyrvana::sim
