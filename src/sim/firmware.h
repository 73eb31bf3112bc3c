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

#include "sim/command_recognizer.h"
#include "sim/eeprom.h"
#include "sim/motor_bank.h"
#include "sim/sd_card.h"
#include "sim/simulated_stimulator.h"

namespace kyrvana::sim {

// EEPROM addresses of the firmware's items and settings.
namespace address {
inline constexpr int kSequence = 1792;
inline constexpr int kCalibration = 3840;
inline constexpr int kTestNumber = 4096;
inline constexpr int kTestName = 4112;
inline constexpr int kHomingDisabled = 4348;  // backs internal value 48
inline constexpr int kDisabledWells = 4352;   // backs internal value 49
inline constexpr int kControlSettings = 7168;
}  // namespace address

// Internal value indices with a meaning of their own.
namespace value {
inline constexpr int kTestState = 1;
inline constexpr int kConfiguration = 4;
inline constexpr int kAcceleration = 5;
inline constexpr int kHardwareType = 6;
inline constexpr int kFirstLoadCellSample = 10;
inline constexpr int kHomingDisabled = 48;
inline constexpr int kDisabledWells = 49;
inline constexpr int kFirstLoadCellZero = 70;
inline constexpr int kCount = 256;
}  // namespace value

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

    bool validValueIndex(std::int64_t index) const { return index >= 0 && index < value::kCount; }
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
