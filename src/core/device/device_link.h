#pragma once

// The device connection: the port to the stimulator, what was learnt about the
// device when it connected, and the command exchange built on the port.
//
// The device answers every command before the next one may be written, in one
// of three forms: a line ended by CR, lines ended by 0x17, or a counted block
// of raw bytes. Each exchange below (write, then the whole answer) holds the
// link's recursive mutex; an operation that spans several exchanges (a
// download, programming, a move and its wait) takes Hold() for its whole
// duration so that another thread's exchange waits instead of interleaving.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/port_info.h"
#include "core/device/serial.h"

namespace kyrvana {

// What a read of a file from the device's SD card achieved.
struct SdFileRead {
    // 0: every announced chunk was requested; 1: the transfer stopped early
    // (the size query, a write to the port or a read failed, or the target
    // file could not be written).
    int result = 1;
    std::int64_t announcedSize = 0;  // the size the device gave, in bytes
    std::int64_t bytesWritten = 0;   // bytes appended to the target file
    int shortChunks = 0;             // chunks that came incomplete and were left out
};

class DeviceLink {
  public:
    static constexpr int kWellCount = 6;
    // EEPROM items longer than this are taken as absent.
    static constexpr int kEepromItemLimit = 4096;
    // Receives (bytes requested so far, announced size) after every chunk.
    using SdProgress = std::function<void(std::int64_t done, std::int64_t total)>;

    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Holds the link across several exchanges. Exchanges of the holding
    // thread go through; other threads wait until the lock is released.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> Hold();

    // Opens `serial` on `portName` as the device link always does: line
    // settings kept as the system has them, long read time-outs.
    SerialStatus OpenPort();

    // Writes `text`, reads one answer line and discards it. 0 or 1.
    int SendCommand(std::string_view text);
    // Writes `text`, reads one answer line into `buffer` (see
    // Serial::ReadLine). 0, or 1 on any failure.
    int QueryCommand(std::string_view text, char* buffer, int capacity, int& count);
    // Writes `text`, reads a multi-line answer ended by 0x17. 0 or 1.
    int QueryLines(std::string_view text, std::vector<std::string>& lines);
    // Writes `text`, reads exactly `length` raw bytes. 0 or 1.
    int QueryExact(std::string_view text, void* buffer, int length, int& count);
    // A line answer read as a number the way C atoi/atof would ("12abc" is
    // 12, "abc" 0). On failure `value` is left as it was. 0 or 1.
    int QueryInteger(std::string_view text, int capacity, int& value);
    int QueryDouble(std::string_view text, int capacity, double& value);

    // Reads the counted text item at `address` and splits it at line feeds.
    // False, with no lines, when the stored length is over 4096; a transfer
    // that fails part-way gives the text read so far (check lastStatus).
    bool GetEepromData(int address, std::vector<std::string>& lines);
    // Stores `text` as the counted item at `address`, in chunks of 200 bytes.
    // Every chunk is sent even when an earlier one failed; the result is 0
    // when all were acknowledged, else 1, and lastStatus holds the last one.
    int SetEepromData(int address, std::string_view text);

    // Ten readings of internal value n + 10 (a well's raw load cell sample),
    // 10 ms apart, summed and divided by ten with the fraction cut off. A
    // failed reading repeats the one before it; failed readings before the
    // first good one count as the first good one (all failed: 0).
    double AverageInternalValue(int n);

    // Polls the motor state every 100 ms until every motor is idle: 1, or -1
    // as soon as a query fails.
    int WaitMotorsIdle();

    // Copies the SD-card file `name` into `target` (opened by the caller for
    // binary writing) in pieces of 1024 bytes. A piece that comes short is
    // logged as a time-out and left out, and the transfer goes on with the
    // next; a failed port write or read (device gone, reads woken) stops it.
    SdFileRead ReadFileOnSDCard(std::string_view name, std::FILE* target,
                                const SdProgress& progress = {});

    // --- Discovery and identification (device_link_identification.cpp) ---
    // Rebuilds `ports` from the USB serial ports under sysfsRoot.
    void RefreshPorts();
    // Finds the first port with the stimulator's USB ids and takes it as
    // portName; false (portName unchanged) when there is none.
    bool DetectDevice();
    // Opens portName, waits settleDelay for the device to start answering,
    // and reads what it tells about itself. 1, or -1 when the port could not
    // be opened (lastStatus says why).
    int Connect();
    // The revision texts, and the hardware and firmware revisions in them.
    void ReadRevisions();
    // The per-well load cell calibration (EEPROM item 3840).
    void ReadWellCalibration();
    // Whether a test runs on the device: true when the exchange succeeded,
    // with the state in `state` (3 running, 4 paused).
    bool QueryTestState(int& state);

    // --- The device's command set (device_link_commands.cpp) ---
    // Results are 0 for success and 1 for failure unless said otherwise; on
    // failure the caller's value is left as it was.
    // Revision text `index` (0 to 4); an index above 4 is refused unsent.
    int QueryRev(int index, std::string& text);
    int QueryInternalValue(int index, int& value);
    int QueryUmPerUstep(int well, double& umPerMicrostep);
    // Control setting `index` of well 0, as the 32-bit value stored.
    int GetEepromControlSettingsData(unsigned index, std::uint32_t& value);
    int SetEepromControlSettingsData(unsigned well, unsigned index, unsigned value);
    // Makes the device take over an EEPROM item it works from:
    // kUpdateTestSequence after programming, kUpdateCalibration after a
    // calibration. `source` is always kUpdateSourceEeprom.
    int UpdateFromSDIni(int source, int item);
    int ListFilesOnSDCard(std::vector<std::string>& lines);
    int QuerySDVolumeSizeKB(int& kilobytes);
    // Opens a file of the SD card for reading; `size` in bytes.
    int ReadFileOnSDCardFirst(std::string_view name, int& size);
    // The next min(1024, remaining) bytes of the open file, as `length` bytes.
    int ReadFileOnSDCardNext(void* buffer, int length, int& count);
    int DeleteFileFromSDCard(std::string_view name);
    // Absolute move of a well's actuator to `target` microsteps.
    int Positioning(int well, unsigned mode, int target);
    // 1 on success (state 0: every motor idle), -1 on failure.
    int GetMotorsState(int& state);
    // 1 on success with the position in microsteps, -1 on failure.
    int QueryMotorPos(int well, int& position);
    int Homing();
    // Jogs a well's actuator: speed kJogSpeed starts it in `direction`, 0
    // stops it and waits until every motor stands.
    int JogMotor(int well, std::uint8_t direction, int speed);
    // The 32-bit word the device keeps at `address` (kHomingDisabledAddress).
    int ReadDeviceWord(int address, std::uint32_t& value);
    // Sets internal value `index` (48 homing disabled, 49 disabled wells).
    int SetInternalValue(unsigned index, int value);

    static constexpr int kUpdateSourceEeprom = 2;
    static constexpr int kUpdateTestSequence = 0;
    static constexpr int kUpdateCalibration = 1;
    static constexpr unsigned kPositioningAbsolute = 8;
    static constexpr int kJogSpeed = 7;
    static constexpr int kHomingDisabledAddress = 4348;

    // Where the USB serial ports are looked up ("/" on a real system).
    std::filesystem::path sysfsRoot = "/";
    // The device needs this long after its port opens before it answers.
    std::chrono::milliseconds settleDelay{2000};

    // What the device told about itself when it connected.
    std::vector<std::string> revisions;
    int firmwareRevisionCode = 0;
    std::string portName;
    Serial serial;
    int internalValue4 = 0;
    std::uint8_t hardwareType = 0;  // 0 or 1: Kyrvana P7, 2: Kyrvana Q3
    int hardwareRevision = 1000;
    int firmwareRevision = 1000;  // revision times 1000
    // Per-well load cell calibration (EEPROM item 3840).
    std::array<float, kWellCount> fullScaleLoad{111.0f, 111.0f, 111.0f, 111.0f, 111.0f, 111.0f};
    std::array<double, kWellCount> loadCellGain{};
    // The zero is a raw reading of the 16-bit converter, 0 to 65535.
    std::array<std::uint16_t, kWellCount> loadCellZero{};
    std::array<double, kWellCount> umPerUstep{};
    // The SerialStatus of the last write or read of any exchange.
    std::atomic<int> lastStatus{SerialOk};
    // The last port enumeration.
    std::vector<PortInfo> ports;

  private:
    // Writes `text` and stores the status; true on success.
    bool WriteCommand(std::string_view text);
    bool Store(SerialStatus status);

    std::recursive_mutex mutex_;
};

}  // namespace kyrvana
