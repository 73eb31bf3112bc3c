#pragma once

// The one way to the device's communication port: a USB virtual serial port
// (/dev/ttyACM*) or, in tests and with the simulator, a pseudo-terminal.
//
// The port is taken exclusively and put into raw mode (every byte passes
// unchanged in both directions) while its line settings (baud rate, framing,
// hardware flow control) stay as the system has them. Answers are framed
// only by their terminator or byte count: a read never reads past the end of
// an answer. Every failure is written to the message log (except a bare read
// failure) and returned as a SerialStatus.
//
// No call waits longer than the read time-out. The descriptor stays
// non-blocking for as long as it is open: poll() saying "readable" is no
// promise that a read finds the byte (another program reading the port, a
// terminal or a service probing a new ttyACM, may take it first), and a
// blocking read() would then wait for ever. Reads and writes wait in poll()
// against one deadline per call instead.

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/device_timing.h"
#include "core/device/serial_status.h"

namespace kyrvana {

class Serial {
  public:
    // The longest line ReadLines accepts, in bytes.
    static constexpr int kLineLimit = 1024;

    Serial();
    // Closes the port when it is still open.
    virtual ~Serial();
    Serial(const Serial&) = delete;
    Serial& operator=(const Serial&) = delete;

    // Opens `portName`, a device path such as /dev/ttyACM0, exclusively (also
    // against root and other processes), keeps its line settings as the
    // system has them and puts the line discipline into raw mode. Returns
    // SerialOk at once when the port is already open. A failed step logs its
    // text with errno, releases the port and its lock, and leaves the port
    // closed.
    SerialStatus Open(std::string_view portName);

    // Writes every byte. A device that takes none for the read time-out (its
    // input queue full, a stalled USB endpoint) makes it fail as a write.
    SerialStatus Write(const void* bytes, std::size_t length);
    SerialStatus Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

    // One answer line ended by a carriage return, which is replaced by a zero
    // byte. Status 64 when `capacity` bytes were stored without a carriage
    // return (the text is then not terminated). The whole line must arrive
    // within one read time-out.
    SerialStatus ReadLine(char* buffer, int capacity, int& count);

    // A multi-line answer ended by 0x17: lines are split at line feeds; an
    // unfinished last line is kept only when it holds at least 2 bytes.
    // `count` counts the bytes stored in lines. Status 64 when a line reaches
    // kLineLimit bytes (the lines before it stay in `lines`). The whole answer
    // must arrive within one read time-out.
    SerialStatus ReadLines(std::vector<std::string>& lines, int& count);

    // Exactly `length` bytes within one read time-out for the whole call.
    SerialStatus ReadExact(void* buffer, int length, int& count);

    // Brings the line back into step after an answer that did not come in
    // time or could not be used: reads and throws away whatever the device
    // still sends until nothing has come for `quiet`, then clears the input
    // queue, so that no late answer is taken as the reply to a later
    // command. Gives up waiting for quiet after `limit` (a device that never
    // stops talking) with SerialReadTimeout, the queue cleared all the same;
    // SerialReadFailed when the port failed. `discarded` counts the bytes
    // read and thrown away (not those cleared from the queue).
    SerialStatus DiscardUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
                                   std::size_t& discarded);
    // Clears what was received and not yet read.
    SerialStatus FlushInput();
    // How many received bytes wait to be read; 0 when the port is closed.
    std::size_t PendingInput() const;

    // Restores the line settings found at open and closes the port. True when
    // the port is closed afterwards; a failing close() is logged and returns
    // false, but the descriptor is gone on Linux, so the port counts as closed.
    bool CloseSerialPort();

    bool isOpen() const { return isOpen_; }
    // The open descriptor, -1 when closed.
    int handle() const { return fd_; }

    // The time-out for each byte of ReadLine and ReadLines and for a whole
    // ReadExact. Takes effect at once. Tests shorten it; the device link
    // uses the default.
    void setReadTimeoutMs(int milliseconds) { readTimeoutMs_ = milliseconds; }
    int readTimeoutMs() const { return readTimeoutMs_; }

    // Callable from any thread: a blocked read, and every later read, returns
    // SerialReadFailed at once until the port is opened again. Used to stop
    // the device request thread without waiting for a time-out.
    void WakeReads();

  private:
    // Waits for and reads up to `maximum` bytes before the deadline: SerialOk
    // with `got` >= 1, SerialReadTimeout or SerialReadFailed.
    SerialStatus ReadSome(char* buffer, std::size_t maximum,
                          std::chrono::steady_clock::time_point deadline, std::size_t& got);
    SerialStatus ReadByte(char& byte, std::chrono::steady_clock::time_point deadline);
    std::chrono::steady_clock::time_point ReadDeadline() const;
    void ReleaseAfterFailedOpen(int fd, bool settingsChanged);
    void ClearWake();

    int fd_ = -1;
    bool isOpen_ = false;
    int wakeFd_ = -1;
    termios savedSettings_{};
    int readTimeoutMs_ = timing::kReadTimeoutMs;
};

}  // namespace kyrvana
