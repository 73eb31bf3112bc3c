#pragma once

// A simulated stimulator: the device's firmware as a state machine behind a
// pseudo-terminal. The program under test opens the slave side (its path is
// portPath()) exactly as it opens /dev/ttyACM0 of a real stimulator; the
// simulator reads commands from the master side on its own thread and answers
// in the device's three answer forms (a line ended by CR, lines ended by
// 0x17, counted raw bytes).
//
// Commands carry no terminator on the wire, so the simulator recognises a
// command when the bytes received so far form one complete command of the
// device's command set.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/device/device_vocabulary.h"

namespace kyrvana::sim {

// A fault rule: what happens to the answers of the commands whose text starts
// with `commandPrefix` (an empty prefix matches every command). The rules
// form one table, tried in the order they were added; the first one whose
// prefix matches and whose turn it is spoils the answer. kyrvana-sim takes
// them from its command line (see fault_rules.h), tests add them directly.
struct SimulatorFault {
    enum class Kind {
        NoAnswer,      // the command is recorded but never answered
        CutShort,      // only the first `bytes` bytes of the answer are sent
        OverlongLine,  // a line of `bytes` bytes with no terminator instead of the answer
        Garbage,       // `bytes` random bytes instead of the answer
        HangUpAfter,   // after `bytes` bytes of the answer the master side is closed
        Stall,         // the answer comes `stall` later than it would (a paused device;
                       // longer than the program's read time-out it is a late answer)
        Replace,       // `text` instead of the answer ("ERROR\r", a size that is no number)
        Garbled,       // the answer's bytes turned into printable noise; its length
                       // and its closing CR or 0x17 kept, so it arrives whole but
                       // means nothing
    };
    Kind kind = Kind::NoAnswer;
    std::string commandPrefix;
    std::size_t bytes = 0;
    // The first `skip` matching commands are answered normally, so that a
    // transfer can be broken in its middle.
    std::size_t skip = 0;
    // How many matching commands the fault hits after the skipped ones; 0: all.
    std::size_t times = 0;
    std::chrono::milliseconds stall{0};  // Stall
    std::string text{};                  // Replace
};

// One EEPROM byte set to `value` behind the program's back.
struct EepromPoke {
    int address = 0;
    std::uint8_t value = 0;
};

struct SimulatorOptions {
    int hardwareType = kHardwareTypeP7;     // see HardwareModel
    std::string firmwareRevision = "4.60";  // the number after "REV " in QueryRev(2)
    std::string hardwareRevision = "2.00";  // the number in QueryRev(3)
    std::filesystem::path sdCard;           // folder that stands for the SD card; empty: none
    std::filesystem::path eepromImage;      // load at start and save on change; empty: none
    std::chrono::milliseconds latency{0};   // delay before every answer

    // Micrometres per motor microstep, the same for all six wells (lead screw
    // pitch over microsteps per turn; 0.15625 is 1 mm per 6400 microsteps).
    double umPerUstep = 0.15625;
    // Speed of a positioning or homing move, in microsteps per second
    // (32000 is 5 mm/s at the default pitch).
    double motorSpeed = 32000.0;
    // Size the card reports for QuerySDVolumeSizeKB.
    std::int64_t sdVolumeKB = 7741440;
    // Listing lines end with "\r\n" as the firmware prints them; false gives "\n".
    bool listingCarriageReturns = true;
    // Runs the test (see runTest()) each time a sequence is programmed, as
    // the device starts a test after UpdateFromSDIni(2,0).
    bool runTestWhenProgrammed = false;
    // Fault rules in force from the start; addFault() adds more later.
    std::vector<SimulatorFault> faults;
    // EEPROM bytes changed once the image is loaded, before the first
    // command: a device whose memory is not what was programmed into it.
    // writeEepromBytes() does the same while the simulator runs.
    std::vector<EepromPoke> eepromPokes;
};

class SimulatedStimulator {
  public:
    explicit SimulatedStimulator(SimulatorOptions options = {});
    ~SimulatedStimulator();
    SimulatedStimulator(const SimulatedStimulator&) = delete;
    SimulatedStimulator& operator=(const SimulatedStimulator&) = delete;

    // Opens the pseudo-terminal pair and starts answering. False with a
    // reason in `error` when the pseudo-terminal cannot be made or the EEPROM
    // image cannot be read.
    bool start(std::string* error = nullptr);
    // Stops answering and closes the master side (the port hangs up).
    void stop();
    bool running() const;

    // The slave side's path, such as /dev/pts/7.
    std::string portPath() const;
    const SimulatorOptions& options() const;

    // Every command received, byte for byte, in order of arrival.
    std::vector<std::string> receivedCommands() const;
    void clearReceivedCommands();
    // Bytes received that could not begin any command, in order of arrival.
    std::string receivedGarbage() const;

    // Fault rules (see SimulatorFault), after those of the options; all of
    // them are cleared by clearFaults().
    void addFault(SimulatorFault fault);
    void clearFaults();
    void setLatency(std::chrono::milliseconds latency);
    // Another program reading the port while it is on (a terminal program,
    // a service probing a new ttyACM): it holds its own descriptor on the
    // slave side and takes whatever bytes it gets to first. Turn it on
    // before the program opens the port, which then takes it exclusively.
    // False when the slave side cannot be opened.
    bool setSecondReader(bool on);
    // Bytes the second reader took so far.
    std::size_t bytesTakenBySecondReader() const;

    // Closes the master side now, as a device unplugged in mid-transfer.
    // Returns once it is closed; stop() still has to be called.
    void hangUp();

    // Direct access to the simulated EEPROM (8 KiB) and internal values.
    std::vector<std::uint8_t> eeprom() const;
    // Changes EEPROM bytes at once, as if the device's memory changed behind
    // the program's back (the image, when there is one, is saved).
    void writeEepromBytes(int address, const std::string& bytes);
    // Stores a counted text item (16-bit little-endian length, then the text).
    void writeEepromItem(int address, const std::string& text);
    // The text of the counted item at `address` (empty when its length is 0 or
    // over eeprom::kItemLengthLimit).
    std::string eepromItem(int address) const;
    // The homing and disabled-wells values are kept in their EEPROM words.
    // Setting one of the load-cell samples (10 to 15) pins that load cell's raw reading to the
    // value (no model, no wobble) for the rest of the run.
    void setInternalValue(int index, std::int64_t value);
    std::int64_t internalValue(int index) const;

    // The control setting `index` (0 to 7) of `well` (0 to 5).
    std::uint32_t controlSetting(int well, int index) const;
    // A motor's position in microsteps now, and whether any motor moves.
    std::int64_t motorPosition(int well) const;
    bool motorsMoving() const;
    // An outside force on a well's load cell, in newtons (a weight hung on it
    // for calibration); 0 removes it.
    void setAppliedForce(int well, double newtons);

    // Runs the programmed sequence (eeprom::kSequenceText) at once and writes its data
    // file into the SD card's DATA folder. True with the file's path in
    // `written`; false with a reason when there is no SD card or no file
    // could be written.
    bool runTest(std::filesystem::path* written = nullptr, std::string* error = nullptr);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kyrvana::sim
