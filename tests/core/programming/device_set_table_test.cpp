// Filling the ten-entry device table from a sequence and rebuilding a
// sequence from it.

#include "core/programming/device_set_table.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

TEST(DeviceSetTableTest, FillTakesTheDeviceFormOfEachSet) {
    SetRecord set;
    set.name = "A name longer than fifteen";
    set.magnitude = {1500.9, -200.5, 0.0, -0.1, 2.0, 1e12};
    set.preloadMag = {50.7, -1.5, 0.0, 0.0, 0.0, 0.0};
    set.stretchDurationMs = 1200;
    set.holdTimeMs = 300;
    set.recoveryDurationMs = -1;  // carried bit for bit as unsigned
    set.restTimeMs = 4000;
    set.numReps = 7;
    set.function[0] = FunctionType::Sinusoid;
    set.mode[0] = ControlMode::Unknown;
    set.preloadType[0] = PreloadType::EveryRepetition;
    set.timeUnits = TimeUnits::Unknown;
    set.dataFrequency = DataFrequency::Hz0_001;
    Protocol sequence;
    sequence.append(set);

    DeviceSetTable table;
    table.entries[3].repetitions = 9;  // stale content is cleared
    EXPECT_EQ(fillDeviceSetTable(table, sequence), 1);
    const DeviceSetRecord& entry = table.entries[0];
    EXPECT_EQ(entry.name, "A name longer t");
    EXPECT_EQ(entry.magnitude, (std::array<std::int32_t, 6>{1500, -201, 0, -1, 2, 2147483647}));
    EXPECT_EQ(entry.preload, (std::array<std::int32_t, 6>{50, -2, 0, 0, 0, 0}));
    EXPECT_EQ(entry.loadDurationMs, 1200u);
    EXPECT_EQ(entry.holdDurationMs, 300u);
    EXPECT_EQ(entry.unloadDurationMs, 4294967295u);
    EXPECT_EQ(entry.restDurationMs, 4000u);
    EXPECT_EQ(entry.repetitions, 7u);
    EXPECT_EQ(entry.waveform, 4);
    EXPECT_EQ(entry.controlMode, 255);
    EXPECT_EQ(entry.preloadType, 2);
    EXPECT_EQ(entry.timeUnitsText, "InvalidMo");  // "InvalidMode" cut to 9
    EXPECT_EQ(entry.dataPeriodMs, 1000000u);
    EXPECT_EQ(table.entries[3], DeviceSetRecord{});
}

// Ten sets at most, and a set of no repetitions ending the table, are
// covered where they matter, in the verification of what was programmed.

TEST(DeviceSetTableTest, RebuiltSetsTakeTheirUnitFromTheControlMode) {
    DeviceSetTable table;
    table.entries[0].repetitions = 1;
    table.entries[0].controlMode = 0;
    table.entries[0].timeUnitsText = "minutes";
    table.entries[0].dataPeriodMs = 10;
    table.entries[1].repetitions = 2;
    table.entries[1].controlMode = 1;
    table.entries[1].timeUnitsText = "Fortnight";
    table.entries[1].dataPeriodMs = 250;
    const Protocol sequence = sequenceFromDeviceSetTable(table);
    ASSERT_EQ(sequence.setCount(), 2);
    EXPECT_EQ(sequence.sets[0].units[0], UnitsCode::Micrometres);
    EXPECT_EQ(sequence.sets[0].timeUnits, TimeUnits::Minutes);
    EXPECT_EQ(sequence.sets[0].dataFrequency, DataFrequency::Hz100);
    EXPECT_EQ(sequence.sets[1].units[0], UnitsCode::Millinewtons);
    EXPECT_EQ(sequence.sets[1].timeUnits, TimeUnits::Unknown);
    EXPECT_EQ(sequence.sets[1].dataFrequency, DataFrequency::None);
}

TEST(DeviceSetTableTest, EveryDataFrequencyRoundTripsThroughItsPeriod) {
    for (int code = -1; code <= 7; ++code) {
        const auto frequency = static_cast<DataFrequency>(code);
        const bool known = code >= 0 && code <= 5;
        EXPECT_EQ(dataFrequencyFromDevicePeriod(deviceDataPeriod(frequency)),
                  known ? frequency : DataFrequency::None)
            << code;
    }
}

}  // namespace
}  // namespace kyrvana
