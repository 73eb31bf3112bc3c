#include "core/programming/device_set_table.h"

#include <algorithm>
#include <cstring>

#include "core/common/saturating_cast.h"
#include "core/protocol/enumeration_texts.h"

namespace kyrvana {
namespace {

struct PeriodOfFrequency {
    DataFrequency frequency;
    std::uint32_t periodMs;
};

constexpr std::array<PeriodOfFrequency, 6> kDevicePeriods = {{
    {DataFrequency::Hz100, 10},
    {DataFrequency::Hz10, 100},
    {DataFrequency::Hz1, 1000},
    {DataFrequency::Hz0_1, 10000},
    {DataFrequency::Hz0_01, 100000},
    {DataFrequency::Hz0_001, 1000000},
}};

// The device counts milliseconds and repetitions as unsigned 32-bit numbers;
// the model's signed values are handed over bit for bit.
std::uint32_t asUnsigned(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

// Codes are single bytes on the device; Unknown (-1) becomes 255.
std::uint8_t asByte(std::int32_t code) {
    return static_cast<std::uint8_t>(code);
}

SetRecord setFrom(const DeviceSetRecord& record) {
    SetRecord set;
    set.name = record.name;
    set.numReps = static_cast<std::int32_t>(record.repetitions);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        set.magnitude[well] = record.magnitude[well];
        set.preloadMag[well] = record.preload[well];
    }
    set.stretchDurationMs = static_cast<std::int32_t>(record.loadDurationMs);
    set.holdTimeMs = static_cast<std::int32_t>(record.holdDurationMs);
    set.recoveryDurationMs = static_cast<std::int32_t>(record.unloadDurationMs);
    set.restTimeMs = static_cast<std::int32_t>(record.restDurationMs);
    set.function[0] = static_cast<FunctionType>(record.waveform);
    set.mode[0] = static_cast<ControlMode>(record.controlMode);
    // The device keeps no unit: displacement sets are in micrometres, all
    // others in millinewtons.
    set.units[0] = record.controlMode == codeOf(ControlMode::Displacement)
                       ? UnitsCode::Micrometres
                       : UnitsCode::Millinewtons;
    set.preloadType[0] = static_cast<PreloadType>(record.preloadType);
    set.timeUnits = parseTimeUnits(record.timeUnitsText);
    set.dataFrequency = dataFrequencyFromDevicePeriod(record.dataPeriodMs);
    return set;
}

}  // namespace

DeviceSetRecord deviceSetRecordFrom(const SetRecord& set) {
    DeviceSetRecord record;
    record.name = deviceText(set.name, DeviceSetRecord::kNameLength);
    record.repetitions = asUnsigned(set.numReps);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        // Whole units, rounded toward minus infinity: -200.5 becomes -201.
        record.magnitude[well] = saturatingFloor<std::int32_t>(set.magnitude[well]);
        record.preload[well] = saturatingFloor<std::int32_t>(set.preloadMag[well]);
    }
    record.loadDurationMs = asUnsigned(set.stretchDurationMs);
    record.holdDurationMs = asUnsigned(set.holdTimeMs);
    record.unloadDurationMs = asUnsigned(set.recoveryDurationMs);
    record.restDurationMs = asUnsigned(set.restTimeMs);
    record.waveform = asByte(codeOf(set.function[0]));
    record.controlMode = asByte(codeOf(set.mode[0]));
    record.preloadType = asByte(codeOf(set.preloadType[0]));
    record.timeUnitsText =
        deviceText(formatTimeUnits(set.timeUnits), DeviceSetRecord::kTimeUnitsLength);
    record.dataPeriodMs = deviceDataPeriod(set.dataFrequency);
    return record;
}

void DeviceSetTable::clear() {
    entries.fill(DeviceSetRecord{});
}

int DeviceSetTable::usedCount() const {
    int count = 0;
    while (count < kEntries && entries[static_cast<std::size_t>(count)].repetitions != 0) {
        ++count;
    }
    return count;
}

std::string deviceText(std::string_view text, std::size_t length) {
    const std::size_t end = std::min({text.find('\0'), text.size(), length});
    return std::string(text.substr(0, end));
}

std::uint32_t deviceDataPeriod(DataFrequency frequency) {
    for (const PeriodOfFrequency& entry : kDevicePeriods) {
        if (entry.frequency == frequency) {
            return entry.periodMs;
        }
    }
    return 0;
}

DataFrequency dataFrequencyFromDevicePeriod(std::uint32_t periodMs) {
    for (const PeriodOfFrequency& entry : kDevicePeriods) {
        if (entry.periodMs == periodMs) {
            return entry.frequency;
        }
    }
    return DataFrequency::None;
}

int fillDeviceSetTable(DeviceSetTable& table, const Protocol& sequence) {
    table.clear();
    const int count = std::min(sequence.setCount(), DeviceSetTable::kEntries);
    for (int i = 0; i < count; ++i) {
        table.entries[static_cast<std::size_t>(i)] =
            deviceSetRecordFrom(sequence.sets[static_cast<std::size_t>(i)]);
    }
    return count;
}

Protocol sequenceFromDeviceSetTable(const DeviceSetTable& table) {
    Protocol sequence;
    const int count = table.usedCount();
    for (int i = 0; i < count; ++i) {
        sequence.append(setFrom(table.entries[static_cast<std::size_t>(i)]));
    }
    return sequence;
}

}  // namespace kyrvana
