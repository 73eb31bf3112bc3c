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
//
// A late answer must never be read as the reply to a later command. So after
// an exchange that failed (no answer in time, an answer too long, a port
// error) or an answer the caller found unusable, the link is out of step: it
// reads and throws away whatever still arrives until the line has been quiet
// for timing::kResyncQuiet (at most timing::kResyncLimit), clears the input
// queue, and only then writes its next command.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/device_result.h"
#include "core/device/device_snapshot.h"
#include "core/device/device_timing.h"
#include "core/device/device_vocabulary.h"
#include "core/device/port_info.h"
#include "core/device/port_open_problem.h"
#include "core/device/serial.h"

namespace kyrvana {

class ExchangeTally;

// What a read of a file from the device's SD card achieved.
struct SdFileRead {
    // Success when every announced piece arrived whole and reached the
    // target file. Otherwise the first thing that went wrong, where the
    // transfer stopped: the size query (no answer, or no size in it), a piece
    // that came short or with more bytes than asked, the port, the target
    // file, or a stop request (Cancelled).
    DeviceResult result;
    std::int64_t announcedSize = 0;  // the size the device gave, in bytes
    std::int64_t bytesWritten = 0;   // bytes appended to the target file
};

class DeviceLink {
  public:
    // Receives (bytes requested so far, announced size) after every chunk.
    using SdProgress = std::function<void(std::int64_t done, std::int64_t total)>;

    DeviceLink() { PublishSnapshot(); }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Holds the link across several exchanges. Exchanges of the holding
    // thread go through; other threads wait until the lock is released.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> Hold();

    // Holds the link and counts every exchange made while it lasts into a
    // tally: an operation that goes on after a failed exchange reports each
    // one with its command, also those made deep inside the command set.
    // Recordings nest; every one that is active counts the exchange.
    class Recording {
      public:
        Recording(DeviceLink& link, ExchangeTally& tally);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;

      private:
        DeviceLink& link_;
        std::unique_lock<std::recursive_mutex> hold_;
    };
    [[nodiscard]] Recording Record(ExchangeTally& tally) { return Recording(*this, tally); }

    // An operation of several exchanges (connecting, programming, reading
    // back, downloading): holds the link for its whole run, and once one of
    // its exchanges goes unanswered (no answer in time, the port gone, a
    // write that failed) it sends nothing more. Every later exchange fails
    // at once without touching the port, with the unanswered one's result, so a
    // silent device costs one read time-out per operation instead of one
    // per command. Operations nest; the outermost one's end clears this.
    class Operation {
      public:
        explicit Operation(DeviceLink& link);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

      private:
        DeviceLink& link_;
        std::unique_lock<std::recursive_mutex> hold_;
    };
    [[nodiscard]] Operation BeginOperation() { return Operation(*this); }

    // For a caller that found an answer unusable (a size that is no number):
    // the link gets back into step before its next command.
    void MarkOutOfStep();

    // Opens `serial` on `portName` as the device link always does: line
    // settings kept as the system has them, long read time-outs.
    SerialStatus OpenPort();

    // One exchange each: write the command, then read its whole answer. The
    // result names the command when the port is not open, the write failed,
    // the port went away, the answer did not come in time or was too long.
    // Writes `text`, reads one answer line and discards it.
    DeviceResult SendCommand(std::string_view text);
    // Writes `text`, reads one answer line into `buffer` (see
    // Serial::ReadLine).
    DeviceResult QueryCommand(std::string_view text, char* buffer, int capacity, int& count);
    // Writes `text`, reads a multi-line answer ended by 0x17; the lines that
    // arrived before a failure are kept.
    DeviceResult QueryLines(std::string_view text, std::vector<std::string>& lines);
    // Writes `text`, reads exactly `length` raw bytes.
    DeviceResult QueryExact(std::string_view text, void* buffer, int length, int& count);
    // A line answer read as a number the way C atoi/atof would ("12abc" is
    // 12, "abc" 0). On failure `value` is left as it was.
    DeviceResult QueryInteger(std::string_view text, int capacity, int& value);
    DeviceResult QueryDouble(std::string_view text, int capacity, double& value);

    // Reads the counted text item at `address` and splits it at line feeds.
    // The first exchange that fails ends the read; a stored length over eeprom::kItemLengthLimit
    // means the item is absent (Unusable). Either way there are no lines.
    DeviceResult GetEepromData(int address, std::vector<std::string>& lines);
    // Stores `text` as the counted item at `address`, in chunks of 200 bytes.
    // Every chunk is sent even when an earlier one failed; the result is the
    // first failure, and lastStatus holds the last exchange's status.
    DeviceResult SetEepromData(int address, std::string_view text);

    // Ten readings of internal value n + 10 (a well's raw load cell sample),
    // 10 ms apart, summed and divided by ten with the fraction cut off into
    // `average`. A failed reading repeats the one before it; failed readings
    // before the first good one count as the first good one (all failed: 0).
    // The result is the first failed reading: the average is then partly
    // made up.
    DeviceResult AverageInternalValue(int n, double& average);

    // Polls the motor state every 100 ms until every motor is idle; the
    // first failed query ends the wait.
    DeviceResult WaitMotorsIdle();

    // Copies the SD-card file `name` into `target` (opened by the caller for
    // binary writing) in pieces of 1024 bytes. The first piece that does not
    // arrive whole and alone ends the transfer: once one piece is missing,
    // any byte that comes later may belong to it, so nothing after it could
    // be trusted (and a silent device would cost a time-out per piece). A
    // size answer that is not a number of bytes ends it before the first
    // piece. `stop`, when given and set (by a signal handler, say), ends it
    // between two pieces with Cancelled.
    SdFileRead ReadFileOnSDCard(std::string_view name, std::FILE* target,
                                const SdProgress& progress = {},
                                const std::atomic<bool>* stop = nullptr);

    // --- Discovery and identification (device_link_identification.cpp) ---
    // The fields below as one copy, taken under a lock of its own: for
    // threads that read what the device is without holding the link.
    DeviceSnapshot Snapshot() const;
    // Replaces that copy with the fields as they are now. The link does it
    // whenever it changed them (a port found, a connection, a calibration
    // read); a caller that sets them itself calls it after.
    void PublishSnapshot();

    // Rebuilds `ports` from the USB serial ports under sysfsRoot.
    void RefreshPorts();
    // Finds the first port with the stimulator's USB ids and takes it as
    // portName; false (portName unchanged) when there is none.
    bool DetectDevice();
    // Opens portName, waits settleDelay for the device to start answering,
    // and reads what it tells about itself. NoPort when the port could not be
    // opened (lastStatus and openProblem say why). Otherwise the port stays open and the
    // result is the first identification exchange that failed; what it would
    // have told keeps its default or earlier value.
    DeviceResult Connect();
    // The revision texts, and the hardware and firmware revisions in them.
    DeviceResult ReadRevisions();
    // The per-well load cell calibration (EEPROM item eeprom::kCalibration).
    DeviceResult ReadWellCalibration();
    // The test state in `state` (see test_state) when the exchange
    // succeeded.
    DeviceResult QueryTestState(int& state);

    // --- The device's command set (device_link_commands.cpp) ---
    // On failure the caller's value is left as it was.
    // Revision text `index` (0 to 4); an index above 4 is refused unsent.
    DeviceResult QueryRev(int index, std::string& text);
    DeviceResult QueryInternalValue(int index, int& value);
    DeviceResult QueryUmPerUstep(int well, double& umPerMicrostep);
    // Control setting `index` of well 0, as the 32-bit value stored.
    DeviceResult GetEepromControlSettingsData(unsigned index, std::uint32_t& value);
    DeviceResult SetEepromControlSettingsData(unsigned well, unsigned index, unsigned value);
    // Makes the device take over an EEPROM item it works from:
    // kUpdateTestSequence after programming, kUpdateCalibration after a
    // calibration. `source` is always kUpdateSourceEeprom.
    DeviceResult UpdateFromSDIni(int source, int item);
    DeviceResult ListFilesOnSDCard(std::vector<std::string>& lines);
    DeviceResult QuerySDVolumeSizeKB(std::int64_t& kilobytes);
    // Opens a file of the SD card for reading; `size` in bytes. An answer
    // that is not a whole non-negative number (digits, with white space
    // around them) is Unusable.
    DeviceResult ReadFileOnSDCardFirst(std::string_view name, std::int64_t& size);
    // The next min(1024, remaining) bytes of the open file, as `length` bytes.
    DeviceResult ReadFileOnSDCardNext(void* buffer, int length, int& count);
    DeviceResult DeleteFileFromSDCard(std::string_view name);
    // Absolute move of a well's actuator to `target` microsteps.
    DeviceResult Positioning(int well, unsigned mode, int target);
    // The motor state: 0 when every motor is idle.
    DeviceResult GetMotorsState(int& state);
    // The well's actuator position in microsteps.
    DeviceResult QueryMotorPos(int well, int& position);
    DeviceResult Homing();
    // Jogs a well's actuator: speed kJogSpeed starts it in `direction`, 0
    // stops it and waits until every motor stands.
    DeviceResult JogMotor(int well, std::uint8_t direction, int speed);
    // The 32-bit word the device keeps at `address` (eeprom::kHomingDisabledWord).
    DeviceResult ReadDeviceWord(int address, std::uint32_t& value);
    // Sets internal value `index` (internal_value::kHomingDisabled or
    // kDisabledWells).
    DeviceResult SetInternalValue(unsigned index, int value);

    static constexpr int kUpdateSourceEeprom = 2;
    static constexpr int kUpdateTestSequence = 0;
    static constexpr int kUpdateCalibration = 1;
    static constexpr unsigned kPositioningAbsolute = 8;
    static constexpr int kJogSpeed = 7;

    // Where the USB serial ports are looked up ("/" on a real system).
    std::filesystem::path sysfsRoot = "/";
    // The device needs this long after its port opens before it answers.
    std::chrono::milliseconds settleDelay = timing::kSettleDelay;

    // What the device told about itself when it connected.
    std::vector<std::string> revisions;
    int firmwareRevisionCode = 0;
    std::string portName;
    Serial serial;
    int internalValue4 = 0;
    std::uint8_t hardwareType = kHardwareTypeP7;  // see HardwareModel
    int hardwareRevision = 1000;
    int firmwareRevision = 1000;  // revision times 1000
    // Per-well load cell calibration (EEPROM item eeprom::kCalibration).
    std::array<float, kWellCount> fullScaleLoad{111.0f, 111.0f, 111.0f, 111.0f, 111.0f, 111.0f};
    std::array<double, kWellCount> loadCellGain{};
    // The zero is a raw reading of the 16-bit converter, 0 to 65535.
    std::array<std::uint16_t, kWellCount> loadCellZero{};
    std::array<double, kWellCount> umPerUstep{};
    // The SerialStatus of the last write or read of any exchange.
    std::atomic<int> lastStatus{SerialOk};
    // Why the last Connect() could not open the port (Other when it could).
    PortOpenProblem openProblem = PortOpenProblem::Other;
    // The last port enumeration.
    std::vector<PortInfo> ports;

  private:
    // Starts an exchange of `command`: refuses it when an exchange of the
    // current operation went unanswered, and otherwise gets the line back
    // into step first when it is out of step. Success means: write.
    DeviceResult BeginExchange(std::string_view command);
    // Ends an exchange of `command`: stores the status, tells the active
    // recordings, and gives the result.
    DeviceResult Finish(std::string_view command, SerialStatus status);
    // Connect() without publishing what it learnt.
    DeviceResult OpenAndIdentify();
    // The next piece of the SD-card file being read, checked to have come
    // whole and alone, appended to `target`.
    DeviceResult ReadSdPiece(char* piece, int wanted, std::FILE* target,
                             const std::atomic<bool>* stop);

    std::recursive_mutex mutex_;
    // Guarded by mutex_:
    // The active recordings, innermost last.
    std::vector<ExchangeTally*> tallies_;
    int operationDepth_ = 0;
    // The exchange of the current operation that went unanswered.
    std::optional<DeviceResult> unanswered_;
    // An answer failed or was unusable since the line was last in step.
    bool outOfStep_ = false;

    mutable std::mutex snapshotMutex_;
    DeviceSnapshot snapshot_;  // guarded by snapshotMutex_
};

}  // namespace kyrvana
