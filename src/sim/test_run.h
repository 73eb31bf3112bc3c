#pragma once

// What the stimulator does when it runs its programmed test, reduced to the
// data file it leaves on the SD card: the sequence text stored in the EEPROM
// is parsed (leniently: missing or broken fields count as 0), the sets are
// played through with an ideal actuator, and one CSV-like line is written per
// data period with the time, each well's position and each well's force.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kyrvana::sim {

struct ProgrammedSet {
    std::string name;
    std::uint32_t loadMs = 0;
    std::uint32_t holdMs = 0;
    std::uint32_t unloadMs = 0;
    std::uint32_t restMs = 0;
    std::uint32_t repetitions = 0;
    std::array<std::int64_t, 6> magnitude{};  // um (displacement) or mN (force)
    std::uint32_t dataPeriodMs = 0;           // 0: no data recorded during the set
    std::array<std::int64_t, 6> preload{};    // mN
    int preloadType = 0;
    int waveform = 0;     // 0 ramp, 3 step, others a smooth (cosine) profile
    int controlMode = 0;  // 0 displacement, 1 force
    std::string timeUnits;
};

struct ProgrammedSequence {
    int repeatAll = 1;
    std::vector<ProgrammedSet> sets;  // at most 10, up to the first with 0 repetitions
};

// Parses the sequence text: "RepeatAll,<n>", the header line, one line per set.
ProgrammedSequence parseSequenceText(std::string_view text);

struct TestRunSetup {
    std::string testName;
    std::string testNumber;
    ProgrammedSequence sequence;
    int hardwareType = 0;
    std::uint32_t disabledWells = 0;  // bit n: well n+1 records nothing
    double stiffnessNPerMm = 0.8;
    // A test can run for days; the simulated one stops recording after this
    // many samples.
    std::size_t maxSamples = 20000;
};

// "<NAME>_<NUMBER>.CSV": the name's letters, digits, '-' and '_' only
// (others become '_'), at most 20 of them; "TEST" for an empty name.
std::string testDataFileName(const std::string& testName, const std::string& testNumber);
std::string testDataText(const TestRunSetup& setup);

std::string firstLine(const std::string& text);

// A two-set sequence text for seeding a fresh SD card with demo data.
std::string demoSequenceText();

}  // namespace kyrvana::sim
