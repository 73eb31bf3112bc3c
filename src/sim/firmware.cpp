#include "sim/firmware.h"

#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "sim/firmware_commands.h"
#include "sim/test_run.h"

namespace kyrvana::sim {

namespace {

// Soft limits of the actuators: 12 mm either side of home.
constexpr double kTravelUm = 12000.0;
// Full-scale load of the fitted load cells and the gain of a 16-bit
// converter whose usable span is +-32000 counts.
constexpr double kFullScaleN = 111.0;
constexpr double kFactoryGain = kFullScaleN / 32000.0;
// Raw readings at zero force, one per load cell (mid-scale of the converter
// with each bridge's own small offset).
constexpr std::array<std::int64_t, Firmware::kWells> kFactoryZero = {32712, 32745, 32790,
                                                                     32731, 32802, 32766};
// The membrane and its holder act as a spring: newtons per millimetre of
// actuator travel from home.
constexpr double kStiffnessNPerMm = 0.8;
// A fixed, repeating wobble on the raw samples (sums to 0 over ten samples,
// so the program's 10-sample mean is exact while the actuator stands still).
constexpr std::array<int, 10> kWobble = {0, 1, -1, 2, -2, 1, -1, 0, 2, -2};
// Factory values of the control settings 0 to 7 (7 is spare).
constexpr std::array<std::uint32_t, Firmware::kControlSettingsPerWell> kFactorySettings = {
    1, 333, 4, 7, 100, 10, 3, 0};

std::int64_t softLimit(const SimulatorOptions& options) {
    return options.umPerUstep > 0.0 ? static_cast<std::int64_t>(kTravelUm / options.umPerUstep)
                                    : static_cast<std::int64_t>(kTravelUm);
}

}  // namespace

Firmware::Firmware(const SimulatorOptions& options)
    : options_(options),
      motors_(options.motorSpeed, softLimit(options)),
      sdCard_(options.sdCard, options.sdVolumeKB, options.listingCarriageReturns) {
    values_[internal_value::kTestState] = 0;
    values_[internal_value::kConfiguration] = 1;
    // The acceleration of the motor ramps in microsteps/s^2 (the set editor's
    // travel check assumes the same figure).
    values_[internal_value::kAcceleration] = 327680;
    values_[internal_value::kHardwareType] = options.hardwareType;
    for (int well = 0; well < kWells; ++well) {
        values_[internal_value::kFirstLoadCellZero + well] =
            kFactoryZero[static_cast<std::size_t>(well)];
    }
    gain_.fill(kFactoryGain);
}

std::vector<CommandSyntax> Firmware::syntax() {
    std::vector<CommandSyntax> result;
    for (const auto& command : firmwareCommands()) {
        result.push_back({command.name, command.form});
    }
    return result;
}

std::optional<std::string> Firmware::execute(const RecognizedCommand& command) {
    const auto& table = firmwareCommands();
    if (command.syntax >= table.size()) {
        return refusedAnswer();
    }
    const FirmwareCommand& entry = table[command.syntax];
    if (!command.wellFormed ||
        (entry.arity >= 0 && command.numbers.size() != static_cast<std::size_t>(entry.arity))) {
        return refusedAnswer();
    }
    return entry.run(*this, command);
}

void Firmware::writeFactoryDefaults() {
    std::string calibration;
    for (int well = 0; well < kWells; ++well) {
        calibration +=
            cDefaultFloatText(kFullScaleN) + "," + cDefaultFloatText(kFactoryGain) + "," +
            cFormat("%lld", static_cast<long long>(kFactoryZero[static_cast<std::size_t>(well)])) +
            "\n";
    }
    eeprom_.setItem(eeprom::kSequenceText, "");
    eeprom_.setItem(eeprom::kCalibration, calibration);
    eeprom_.setItem(eeprom::kTestNumber, "0001");
    eeprom_.setItem(eeprom::kTestName, "Test");
    eeprom_.setWord32(eeprom::kHomingDisabledWord, 0);
    eeprom_.setWord32(eeprom::kDisabledWellsWord, 0);
    for (int well = 0; well < kWells; ++well) {
        for (int index = 0; index < kControlSettingsPerWell; ++index) {
            setControlSetting(well, index, kFactorySettings[static_cast<std::size_t>(index)]);
        }
    }
}

// Lines "fullScale,gain,zero"; a line whose gain is not a positive number
// keeps the factory gain for that load cell.
void Firmware::reloadCalibration() {
    const std::string text = eeprom_.item(eeprom::kCalibration);
    std::size_t from = 0;
    for (int well = 0; well < kWells; ++well) {
        double gain = kFactoryGain;
        if (from < text.size()) {
            const std::size_t end = std::min(text.find('\n', from), text.size());
            const std::string line = text.substr(from, end - from);
            from = end + 1;
            const std::size_t comma = line.find(',');
            if (comma != std::string::npos) {
                const double parsed = cAtof(std::string_view(line).substr(comma + 1));
                if (std::isfinite(parsed) && parsed > 0.0) {
                    gain = parsed;
                }
            }
        }
        gain_[static_cast<std::size_t>(well)] = gain;
    }
}

void Firmware::rebuildTestDescription() {
    if (!sdCard_.present()) {
        return;
    }
    const std::string description = "[Test]\nName=" + eeprom_.item(eeprom::kTestName) +
                                    "\nNumber=" + eeprom_.item(eeprom::kTestNumber) +
                                    cFormat("\nHomingDisabled=%u\nDisabledWells=%u\n[Sequence]\n",
                                            eeprom_.word32(eeprom::kHomingDisabledWord),
                                            eeprom_.word32(eeprom::kDisabledWellsWord)) +
                                    eeprom_.item(eeprom::kSequenceText);
    sdCard_.writeFile("TEST.INI", description, nullptr);
}

std::int64_t Firmware::peekInternalValue(int index) const {
    if (index == internal_value::kHomingDisabled) {
        return static_cast<std::int32_t>(eeprom_.word32(eeprom::kHomingDisabledWord));
    }
    if (index == internal_value::kDisabledWells) {
        return static_cast<std::int32_t>(eeprom_.word32(eeprom::kDisabledWellsWord));
    }
    const auto it = values_.find(index);
    return it == values_.end() ? 0 : it->second;
}

std::int64_t Firmware::internalValue(int index) {
    const int well = index - internal_value::kFirstLoadCellSample;
    if (well >= 0 && well < kWells && values_.count(index) == 0) {
        return loadCellSample(well, true);
    }
    return peekInternalValue(index);
}

// Values 48 and 49 live in the EEPROM, so they survive a power cycle.
void Firmware::setInternalValue(int index, std::int64_t newValue) {
    if (index == internal_value::kHomingDisabled) {
        eeprom_.setWord32(eeprom::kHomingDisabledWord, static_cast<std::uint32_t>(newValue));
    } else if (index == internal_value::kDisabledWells) {
        eeprom_.setWord32(eeprom::kDisabledWellsWord, static_cast<std::uint32_t>(newValue));
    } else {
        values_[index] = newValue;
    }
}

bool Firmware::validSetting(std::int64_t well, std::int64_t index) const {
    return well >= 0 && well < kWells && index >= 0 && index < kControlSettingsPerWell;
}

std::uint32_t Firmware::controlSetting(int well, int index) const {
    return eeprom_.word32(eeprom::kControlSettings + (well * kControlSettingsPerWell + index) * 4);
}

void Firmware::setControlSetting(int well, int index, std::uint32_t newValue) {
    eeprom_.setWord32(eeprom::kControlSettings + (well * kControlSettingsPerWell + index) * 4,
                      newValue);
}

std::string Firmware::revision(int index) const {
    switch (index) {
        case 0:
            return std::string(modelName(hardwareModel(options_.hardwareType))) +
                   " Cell Stimulator";
        case 1:
            return "Controller 6-axis, S/N KYRSIM0001";
        case 2:
            return "Firmware REV " + options_.firmwareRevision;
        case 3:
            // The program reads the number from the 11th character after the
            // start of "HARDWARE", which falls just behind "= ".
            return "Hardware = " + options_.hardwareRevision;
        case 4:
            return "Bootloader REV 1.02";
        default:
            return {};
    }
}

void Firmware::setAppliedForce(int well, double newtons) {
    if (well >= 0 && well < kWells) {
        appliedForce_[static_cast<std::size_t>(well)] = newtons;
    }
}

double Firmware::forceNewtons(int well, MotorBank::Clock::time_point now) const {
    const double travelMm =
        static_cast<double>(motors_.position(well, now)) * options_.umPerUstep / 1000.0;
    return kStiffnessNPerMm * travelMm + appliedForce_[static_cast<std::size_t>(well)];
}

// The raw reading follows the force through the stored calibration, so a
// force the program computes from it equals the model's force.
std::int64_t Firmware::loadCellSample(int well, bool advance) {
    const auto w = static_cast<std::size_t>(well);
    const double counts = forceNewtons(well, MotorBank::Clock::now()) / gain_[w];
    const std::int64_t zero = peekInternalValue(internal_value::kFirstLoadCellZero + well);
    const std::int64_t raw =
        zero + static_cast<std::int64_t>(std::llround(counts)) + kWobble[sampleCounter_[w] % 10];
    if (advance) {
        ++sampleCounter_[w];
    }
    return std::clamp<std::int64_t>(raw, 0, 65535);
}

bool Firmware::runTest(std::filesystem::path* written, std::string* error) {
    if (!sdCard_.present()) {
        if (error != nullptr) {
            *error = "no SD card";
        }
        return false;
    }
    TestRunSetup setup;
    setup.testName = eeprom_.item(eeprom::kTestName);
    setup.testNumber = eeprom_.item(eeprom::kTestNumber);
    setup.sequence = parseSequenceText(eeprom_.item(eeprom::kSequenceText));
    setup.hardwareType = options_.hardwareType;
    setup.disabledWells = eeprom_.word32(eeprom::kDisabledWellsWord);
    setup.stiffnessNPerMm = kStiffnessNPerMm;
    if (setup.sequence.sets.empty()) {
        if (error != nullptr) {
            *error = "no test sequence is programmed";
        }
        return false;
    }
    const std::filesystem::path relative =
        std::filesystem::path("DATA") / testDataFileName(setup.testName, setup.testNumber);
    if (!sdCard_.writeFile(relative, testDataText(setup), error)) {
        return false;
    }
    // The device numbers its tests: the next one gets the following number.
    const int next = std::max(0, cAtoi(firstLine(setup.testNumber))) + 1;
    eeprom_.setItem(eeprom::kTestNumber, cFormat("%04d", next % 10000));
    if (written != nullptr) {
        *written = sdCard_.root() / relative;
    }
    return true;
}

}  // namespace kyrvana::sim
