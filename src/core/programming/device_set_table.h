#pragma once

// The staging form of a sequence on its way to and from the stimulator: ten
// fixed entries, each holding one set the way the device stores it (whole
// micrometres or millinewtons, unsigned milliseconds, one-byte codes, short
// texts). An entry with 0 repetitions ends the table; entries after it are
// not used.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/protocol/protocol.h"

namespace kyrvana {

struct DeviceSetRecord {
    // The device keeps the set name and the time-unit word in fixed buffers
    // of 16 and 10 bytes, NUL included.
    static constexpr std::size_t kNameLength = 15;
    static constexpr std::size_t kTimeUnitsLength = 9;

    std::uint32_t loadDurationMs = 0;
    std::uint32_t holdDurationMs = 0;
    std::uint32_t unloadDurationMs = 0;
    std::uint32_t restDurationMs = 0;
    std::uint32_t repetitions = 0;  // 0: unused entry, ends the table
    // Per well, well 1 first: whole micrometres (displacement) or whole
    // millinewtons (force).
    std::array<std::int32_t, kWellCount> magnitude{};
    std::array<std::int32_t, kWellCount> preload{};  // whole millinewtons
    std::uint8_t preloadType = 0;
    std::uint8_t waveform = 0;
    std::uint8_t controlMode = 0;
    std::string name;                // at most kNameLength characters
    std::string timeUnitsText;       // at most kTimeUnitsLength characters
    std::uint32_t dataPeriodMs = 0;  // 0: no data output

    friend bool operator==(const DeviceSetRecord&, const DeviceSetRecord&) = default;
};

struct DeviceSetTable {
    static constexpr int kEntries = 10;

    std::array<DeviceSetRecord, kEntries> entries{};

    // Every entry back to zero durations, repetitions, values and codes, and
    // empty texts.
    void clear();
    // Entries before the first one with 0 repetitions (at most ten).
    int usedCount() const;
};

// Cuts a text to what a fixed device buffer of `length` characters holds;
// a NUL byte ends it early, as it would in the device's buffer.
std::string deviceText(std::string_view text, std::size_t length);

// The recording period the device takes for a data frequency (100 Hz -> 10 ms
// ... 0.001 Hz -> 1000000 ms), 0 for none and unknown codes; and back, with
// every period the device does not know giving None.
std::uint32_t deviceDataPeriod(DataFrequency frequency);
DataFrequency dataFrequencyFromDevicePeriod(std::uint32_t periodMs);

// One set as the device stores it: magnitudes and preloads rounded down to
// whole units, durations and repetitions bit for bit as unsigned, codes in one
// byte each (Unknown as 255), the name and the time-unit word cut to what the
// device keeps, and the recording period of the data frequency.
DeviceSetRecord deviceSetRecordFrom(const SetRecord& set);

// Clears the table and fills it with the first ten sets of `sequence`;
// returns how many entries were filled.
int fillDeviceSetTable(DeviceSetTable& table, const Protocol& sequence);

// The sequence that the table describes: one new set per entry, up to the
// first entry with 0 repetitions.
Protocol sequenceFromDeviceSetTable(const DeviceSetTable& table);

}  // namespace kyrvana
