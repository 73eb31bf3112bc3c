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

namespace kyrvana::sim {

struct SimulatorOptions {
    int hardwareType = 0;               // 0/1: P7, 2: Q3
    std::string firmwareRevision = "4.60";  // the number after "REV " in QueryRev(2)
    std::string hardwareRevision = "2.00";  // the number in QueryRev(3)
    std::filesystem::path sdCard;        // folder that stands for the SD card; empty: none
    std::filesystem::path eepromImage;   // load at start and save on change; empty: none
    std::chrono::milliseconds latency{0};  // delay before every answer
};

// Faults for tests. Each applies to the commands whose text starts with
// `commandPrefix` (an empty prefix matches every command).
struct SimulatorFault {
    enum class Kind {
        NoAnswer,       // the command is recorded but never answered
        CutShort,       // only the first `bytes` bytes of the answer are sent
        OverlongLine,   // a line of `bytes` bytes with no terminator instead of the answer
        Garbage,        // `bytes` random bytes instead of the answer
        HangUpAfter,    // after `bytes` bytes of the answer the master side is closed
    };
    Kind kind = Kind::NoAnswer;
    std::string commandPrefix;
    std::size_t bytes = 0;
};

class SimulatedStimulator {
public:
    explicit SimulatedStimulator(SimulatorOptions options = {});
    ~SimulatedStimulator();
    SimulatedStimulator(const SimulatedStimulator&) = delete;
    SimulatedStimulator& operator=(const SimulatedStimulator&) = delete;

    // Opens the pseudo-terminal pair and starts answering. False with a
    // reason in `error` when the pseudo-terminal cannot be made.
    bool start(std::string* error = nullptr);
    // Stops answering and closes the master side (the port hangs up).
    void stop();
    bool running() const;

    // The slave side's path, such as /dev/pts/7.
    std::string portPath() const;

    // Every command received, byte for byte, in order of arrival.
    std::vector<std::string> receivedCommands() const;
    void clearReceivedCommands();

    // Faults (see SimulatorFault); cleared by clearFaults().
    void addFault(SimulatorFault fault);
    void clearFaults();
    void setLatency(std::chrono::milliseconds latency);
    // Closes the master side now, as a device unplugged in mid-transfer.
    void hangUp();

    // Direct access to the simulated EEPROM (8 KiB) and internal values.
    std::vector<std::uint8_t> eeprom() const;
    void writeEepromBytes(int address, const std::string& bytes);
    // Stores a counted text item (16-bit little-endian length, then the text).
    void writeEepromItem(int address, const std::string& text);
    // The text of the counted item at `address` (empty when its length is 0 or over 4096).
    std::string eepromItem(int address) const;
    void setInternalValue(int index, std::int64_t value);
    std::int64_t internalValue(int index) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kyrvana::sim
