#include "core/programming/sequence_verification.h"

#include <algorithm>
#include <array>
#include <span>

#include "core/common/c_locale_text.h"
#include "core/editor/test_name_rules.h"
#include "core/programming/sequence_text.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/frequency_texts.h"

namespace kyrvana {
namespace {

// The lines of the report, each "<what>: device <value>, sequence <value>".
class Differences {
  public:
    explicit Differences(std::vector<std::string>& lines) : lines_(lines) {}

    void add(const std::string& what, const std::string& device, const std::string& sequence) {
        lines_.push_back(what + ": device " + device + ", sequence " + sequence);
    }

    template <typename Value, typename Format>
    void compare(const std::string& what, const Value& device, const Value& sequence,
                 Format format) {
        if (!(device == sequence)) {
            add(what, format(device), format(sequence));
        }
    }

  private:
    std::vector<std::string>& lines_;
};

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string durationIn(std::uint32_t milliseconds, TimeUnits units) {
    const std::string letter(timeUnitsLetter(units));
    const double perUnit = millisecondsPerTimeUnit(units);
    if (perUnit == 1.0) {
        return cFormat("%u (%s)", milliseconds, letter.c_str());
    }
    return cFormat("%.3f (%s)", static_cast<double>(milliseconds) / perUnit, letter.c_str());
}

// In the set's own unit; in seconds, where every millisecond shows, when
// minutes, hours or days would round the difference away.
void compareDuration(Differences& out, const std::string& what, std::uint32_t device,
                     std::uint32_t sequence, TimeUnits units) {
    if (device == sequence) {
        return;
    }
    if (durationIn(device, units) == durationIn(sequence, units)) {
        units = TimeUnits::Seconds;
    }
    out.add(what, durationIn(device, units), durationIn(sequence, units));
}

// A one-byte code by its word; by its number when two codes the vocabulary
// does not know would show the same invalid word.
template <typename Enum>
void compareCode(Differences& out, const std::string& what, std::uint8_t device,
                 std::uint8_t sequence, std::string_view (*format)(Enum)) {
    if (device == sequence) {
        return;
    }
    std::string deviceText(format(static_cast<Enum>(device)));
    std::string sequenceText(format(static_cast<Enum>(sequence)));
    if (deviceText == sequenceText) {
        deviceText = cFormat("%u", static_cast<unsigned>(device));
        sequenceText = cFormat("%u", static_cast<unsigned>(sequence));
    }
    out.add(what, deviceText, sequenceText);
}

std::string dataPeriodText(std::uint32_t periodMs) {
    if (periodMs == 0) {
        return "None";
    }
    const DataFrequency frequency = dataFrequencyFromDevicePeriod(periodMs);
    if (frequency == DataFrequency::None) {
        return cFormat("period %u ms", periodMs);
    }
    return std::string(dataFrequencyHzText(frequency)) + " Hz";
}

std::string yesOrNo(bool value) {
    return value ? "yes" : "no";
}

std::string disabledWellsText(std::uint8_t mask) {
    std::string text;
    for (std::size_t well = 0; well < kWellCount; ++well) {
        if ((mask >> well) & 1u) {
            text += cFormat(text.empty() ? "%zu" : ", %zu", well + 1);
        }
    }
    return text.empty() ? "none" : text;
}

using Duration = std::uint32_t DeviceSetRecord::*;
constexpr std::array<std::pair<const char*, Duration>, 4> kDurations{{
    {"Load Dur.", &DeviceSetRecord::loadDurationMs},
    {"Hold Dur.", &DeviceSetRecord::holdDurationMs},
    {"Recover Dur.", &DeviceSetRecord::unloadDurationMs},
    {"Rest Dur.", &DeviceSetRecord::restDurationMs},
}};

void compareSet(Differences& out, int number, const DeviceSetRecord& device,
                const DeviceSetRecord& sequence) {
    const std::string set = cFormat("Set %d ", number);
    out.compare(set + "Name", device.name, sequence.name, quoted);
    const TimeUnits units = parseTimeUnits(sequence.timeUnitsText);
    for (const auto& [what, phase] : kDurations) {
        compareDuration(out, set + what, device.*phase, sequence.*phase, units);
    }
    out.compare(set + "Reps.", device.repetitions, sequence.repetitions,
                [](std::uint32_t reps) { return cFormat("%u", reps); });

    // The device keeps no unit: displacement magnitudes are micrometres, all
    // others millinewtons, as Read Device shows them.
    const std::string unit(formatUnits(sequence.controlMode == codeOf(ControlMode::Displacement)
                                           ? UnitsCode::Micrometres
                                           : UnitsCode::Millinewtons));
    const auto inUnit = [&unit](std::int32_t value) {
        return cFormat("%d (%s)", value, unit.c_str());
    };
    const auto inMillinewtons = [](std::int32_t value) { return cFormat("%d (mN)", value); };
    for (std::size_t well = 0; well < kWellCount; ++well) {
        out.compare(set + cFormat("Well%zu", well + 1), device.magnitude[well],
                    sequence.magnitude[well], inUnit);
    }
    out.compare(set + "Data Frequency", device.dataPeriodMs, sequence.dataPeriodMs, dataPeriodText);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        out.compare(set + cFormat("Preload Well%zu", well + 1), device.preload[well],
                    sequence.preload[well], inMillinewtons);
    }
    compareCode(out, set + "Preload Type", device.preloadType, sequence.preloadType,
                formatPreloadType);
    compareCode(out, set + "Waveform", device.waveform, sequence.waveform, formatFunctionType);
    compareCode(out, set + "Control Mode", device.controlMode, sequence.controlMode,
                formatControlMode);
    out.compare(set + "Time Units", device.timeUnitsText, sequence.timeUnitsText, quoted);
}

}  // namespace

std::vector<DeviceSetRecord> usedDeviceSets(const DeviceSetTable& table) {
    const auto used = std::span(table.entries).first(static_cast<std::size_t>(table.usedCount()));
    return {used.begin(), used.end()};
}

DeviceContents deviceFormOf(const TestToProgram& test) {
    DeviceContents contents;
    for (const SetRecord& set : test.sequence.sets) {
        DeviceSetRecord record = deviceSetRecordFrom(set);
        record.name = setNameAsRead(record.name);
        contents.sets.push_back(std::move(record));
    }
    // The device runs a sequence at least once, and reads its count so.
    contents.repeatCount = std::max(test.repeatCount, 1);
    // Programming cleans the name before it writes it; the item is read back
    // as its first line, up to a NUL.
    std::string name = test.testName;
    cleanTestName(name);
    contents.testName = firstLine(deviceText(name, name.size()));
    contents.testNumber = test.testNumber;
    contents.homingDisabled = test.homingDisabled;
    contents.disabledWellsMask = test.disabledWellsMask;
    contents.velocityCode = test.velocityCode;
    return contents;
}

std::vector<std::string> listDifferences(const DeviceContents& device,
                                         const DeviceContents& sequence) {
    std::vector<std::string> lines;
    Differences out(lines);
    const auto count = [](std::size_t value) { return cFormat("%zu", value); };
    out.compare("Sets", device.sets.size(), sequence.sets.size(), count);
    const std::size_t common = std::min(device.sets.size(), sequence.sets.size());
    for (std::size_t i = 0; i < common; ++i) {
        compareSet(out, static_cast<int>(i) + 1, device.sets[i], sequence.sets[i]);
    }
    out.compare("Repeats of Entire Sequence", device.repeatCount, sequence.repeatCount,
                [](const std::optional<std::int32_t>& repeats) {
                    return repeats ? cFormat("%d", *repeats) : std::string("none");
                });
    out.compare("Test Name", device.testName, sequence.testName, quoted);
    out.compare("Test Number", device.testNumber, sequence.testNumber, quoted);
    out.compare("Disable Homing", device.homingDisabled, sequence.homingDisabled, yesOrNo);
    out.compare("Disabled Wells", device.disabledWellsMask, sequence.disabledWellsMask,
                disabledWellsText);
    if (device.velocityCode && sequence.velocityCode) {
        out.compare("Force Control Velocity Code", *device.velocityCode, *sequence.velocityCode,
                    [](std::uint32_t code) { return cFormat("%u", code); });
    }
    return lines;
}

}  // namespace kyrvana
