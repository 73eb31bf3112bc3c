#pragma once

// The stimulator's firmware as a state machine: EEPROM, internal values,
// motors, load cells, SD card and revision texts. It is driven one command at
// a time by execute(); the commands themselves are small functions in
// firmware_commands.cpp. Not thread-safe: its owner serialises access.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/device/device_vocabulary.h"
#include "sim/command_recognizer.h"
#include "sim/eeprom.h"
#include "sim/motor_bank.h"
#include "sim/sd_card.h"
#include "sim/simulated_stimulator.h"

namespace kyrvana::sim {

// How many internal values the firmware has (their meanings are in
// device_vocabulary.h).
inline constexpr int kInternalValueCount = 256;

class Firmware {
  public:
    static constexpr int kWells = 6;
    static constexpr int kControlSettingsPerWell = 8;

    explicit Firmware(const SimulatorOptions& options);

    // The command set's syntax, in the order of the command table.
    static std::vector<CommandSyntax> syntax();

    // Runs one command; the answer bytes, or nothing when the firmware does
    // not answer it.
    std::optional<std::string> execute(const RecognizedCommand& command);

    // Fills a blank (erased) EEPROM with the factory items.
    void writeFactoryDefaults();
    // Re-reads the load-cell calibration item (full-scale loads and gains).
    void reloadCalibration();
    // Rewrites the SD card's test description (TEST.INI) from the EEPROM.
    void rebuildTestDescription();
    bool runTest(std::filesystem::path* written, std::string* error);

    const SimulatorOptions& options() const { return options_; }
    Eeprom& eeprom() { return eeprom_; }
    const Eeprom& eeprom() const { return eeprom_; }
    MotorBank& motors() { return motors_; }
    const MotorBank& motors() const { return motors_; }
    SdCard& sdCard() { return sdCard_; }

    bool validValueIndex(std::int64_t index) const {
        return index >= 0 && index < kInternalValueCount;
    }
    std::int64_t internalValue(int index);  // may advance a load cell's sample counter
    std::int64_t peekInternalValue(int index) const;
    void setInternalValue(int index, std::int64_t newValue);

    bool validSetting(std::int64_t well, std::int64_t index) const;
    std::uint32_t controlSetting(int well, int index) const;
    void setControlSetting(int well, int index, std::uint32_t newValue);

    std::string revision(int index) const;  // empty for an unknown index

    void setAppliedForce(int well, double newtons);

  private:
    double forceNewtons(int well, MotorBank::Clock::time_point now) const;
    std::int64_t loadCellSample(int well, bool advance);

    SimulatorOptions options_;
    Eeprom eeprom_;
    MotorBank motors_;
    SdCard sdCard_;
    std::map<int, std::int64_t> values_;
    std::array<double, kWells> gain_{};  // N per raw count, from the calibration
    std::array<double, kWells> appliedForce_{};
    std::array<unsigned, kWells> sampleCounter_{};
};

}  // namespace kyrvana::sim
