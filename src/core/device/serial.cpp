#include "core/device/serial.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "core/common/c_locale_text.h"
#include "core/device/message_log.h"
#include "core/device/readiness_wait.h"

namespace kyrvana {
namespace {

constexpr char kEndOfTransmissionBlock = 0x17;

// Each failing step reports itself under the name of the operation it stands
// for, with the system's error number.
void LogFailure(std::string_view step, int error) {
    std::string line(step);
    line += cFormat(" failed with error %d.\n", error);
    MessageLog::Instance().Write(line);
}

void LogTimeout() {
    MessageLog::Instance().Write("\nReadFile Timed Out Waiting for Response\n");
}

int RetryOnInterrupt(int (*call)(int, int), int fd, int argument) {
    int result = 0;
    do {
        result = call(fd, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

// Raw line discipline (the input, output and local flags of cfmakeraw):
// no echo, no canonical lines, no signal characters, no CR/LF
// translation, no output processing. A fresh tty has IXON set, which
// would swallow 0x11 and 0x13 in binary answers, so software flow control
// goes too. The control flags (baud rate, framing, hardware flow control)
// stay as they are.
void MakeRaw(termios& settings) {
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF | IXANY);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // A read returns as soon as one byte is there; waiting is done by poll().
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

}  // namespace

Serial::Serial() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Serial::~Serial() {
    if (isOpen_) {
        CloseSerialPort();
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

SerialStatus Serial::Open(std::string_view portName) {
    if (isOpen_) {
        return SerialOk;
    }

    // Non-blocking for good: a port waiting for carrier cannot hang the
    // open, and no read or write can block past its deadline (see serial.h).
    const std::string path(portName);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        LogFailure("CreateFile", errno);
        return SerialOpenFailed;
    }

    // Exclusive use. TIOCEXCL makes further open() calls fail, but not for
    // root; the advisory lock holds against every instance of the program,
    // root included. Lock first, so that a failed attempt never touches the
    // exclusive flag of a port someone else holds.
    if (RetryOnInterrupt(::flock, fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        LogFailure("CreateFile", error);
        return SerialOpenFailed;
    }

    // The settings to restore on close; failing here means it is no terminal.
    if (::tcgetattr(fd, &savedSettings_) != 0) {
        const int error = errno;
        ReleaseAfterFailedOpen(fd, false);
        LogFailure("GetCommProperties", error);
        return SerialOpenFailed;
    }

    termios raw{};
    if (::tcgetattr(fd, &raw) != 0) {
        const int error = errno;
        ReleaseAfterFailedOpen(fd, false);
        LogFailure("GetCommTimeouts", error);
        return SerialOpenFailed;
    }
    MakeRaw(raw);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) {
        const int error = errno;
        ReleaseAfterFailedOpen(fd, true);
        LogFailure("SetCommTimeouts", error);
        return SerialTimeoutsFailed;
    }

    ClearWake();
    fd_ = fd;
    isOpen_ = true;
    return SerialOk;
}

void Serial::ReleaseAfterFailedOpen(int fd, bool settingsChanged) {
    if (settingsChanged) {
        (void)::tcsetattr(fd, TCSANOW, &savedSettings_);
    }
    (void)::ioctl(fd, TIOCNXCL);
    // Closing the descriptor also drops the lock, so a retry can succeed.
    ::close(fd);
}

bool Serial::CloseSerialPort() {
    if (!isOpen_) {
        return true;
    }
    // The device may already be gone; restoring is then pointless, not an error.
    (void)::tcsetattr(fd_, TCSANOW, &savedSettings_);
    (void)::ioctl(fd_, TIOCNXCL);
    const int result = ::close(fd_);
    const int error = errno;
    // Linux releases the descriptor even when close() reports an error, so
    // the port is closed either way and a later Open starts afresh.
    fd_ = -1;
    isOpen_ = false;
    if (result != 0) {
        LogFailure("CloseSerialPort", error);
        return false;
    }
    return true;
}

SerialStatus Serial::Write(const void* bytes, std::size_t length) {
    const auto* next = static_cast<const char*>(bytes);
    std::size_t left = length;
    const auto deadline = ReadDeadline();
    while (left > 0) {
        const ssize_t written = ::write(fd_, next, left);
        if (written >= 0) {
            next += written;
            left -= static_cast<std::size_t>(written);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            LogFailure("WriteFile", errno);
            return SerialWriteFailed;
        }
        // The device does not take bytes: wait for room, not past the deadline.
        switch (WaitWritable(fd_, wakeFd_, deadline)) {
            case Readiness::Ready:
                break;
            case Readiness::TimedOut:
                LogFailure("WriteFile", ETIMEDOUT);
                return SerialWriteFailed;
            case Readiness::HungUp:
            case Readiness::Woken:
            case Readiness::Failed:
                LogFailure("WriteFile", EIO);
                return SerialWriteFailed;
        }
    }
    return SerialOk;
}

SerialStatus Serial::ReadSome(char* buffer, std::size_t maximum,
                              std::chrono::steady_clock::time_point deadline, std::size_t& got) {
    got = 0;
    for (;;) {
        switch (WaitReadable(fd_, wakeFd_, deadline)) {
            case Readiness::Ready:
                break;
            case Readiness::TimedOut:
                return SerialReadTimeout;
            case Readiness::HungUp:
            case Readiness::Woken:
            case Readiness::Failed:
                return SerialReadFailed;
        }
        const ssize_t count = ::read(fd_, buffer, maximum);
        if (count > 0) {
            got = static_cast<std::size_t>(count);
            return SerialOk;
        }
        // End of file or EIO: the device went away (a pseudo-terminal whose
        // master closed reports EIO). EAGAIN: another reader took what poll()
        // announced; wait again.
        if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            return SerialReadFailed;
        }
    }
}

std::chrono::steady_clock::time_point Serial::ReadDeadline() const {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(readTimeoutMs_);
}

SerialStatus Serial::ReadByte(char& byte, std::chrono::steady_clock::time_point deadline) {
    std::size_t got = 0;
    return ReadSome(&byte, 1, deadline, got);
}

SerialStatus Serial::ReadLine(char* buffer, int capacity, int& count) {
    count = 0;
    if (capacity < 1) {
        return SerialBufferFull;
    }
    const auto deadline = ReadDeadline();
    for (;;) {
        char byte = 0;
        const SerialStatus status = ReadByte(byte, deadline);
        if (status == SerialReadTimeout) {
            LogTimeout();
        }
        if (status != SerialOk) {
            return status;
        }
        if (byte == '\r') {
            buffer[count] = '\0';
            return SerialOk;
        }
        buffer[count++] = byte;
        if (count >= capacity) {
            return SerialBufferFull;
        }
    }
}

SerialStatus Serial::ReadLines(std::vector<std::string>& lines, int& count) {
    lines.clear();
    count = 0;
    std::string line;
    const auto deadline = ReadDeadline();
    for (;;) {
        char byte = 0;
        const SerialStatus status = ReadByte(byte, deadline);
        if (status == SerialReadTimeout) {
            LogTimeout();
        }
        if (status != SerialOk) {
            return status;
        }
        if (byte == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else if (byte == kEndOfTransmissionBlock) {
            // The device ends its answer with a stray byte after the last
            // line feed; only a real line is kept.
            if (line.size() >= 2) {
                lines.push_back(std::move(line));
            }
            return SerialOk;
        } else {
            line.push_back(byte);
            ++count;
            if (line.size() >= static_cast<std::size_t>(kLineLimit)) {
                return SerialBufferFull;
            }
        }
    }
}

SerialStatus Serial::ReadExact(void* buffer, int length, int& count) {
    count = 0;
    auto* bytes = static_cast<char*>(buffer);
    const auto deadline = ReadDeadline();
    while (count < length) {
        std::size_t got = 0;
        const SerialStatus status =
            ReadSome(bytes + count, static_cast<std::size_t>(length - count), deadline, got);
        if (status == SerialReadTimeout) {
            LogTimeout();
        }
        if (status != SerialOk) {
            return status;
        }
        count += static_cast<int>(got);
    }
    return SerialOk;
}

SerialStatus Serial::DiscardUntilQuiet(std::chrono::milliseconds quiet,
                                       std::chrono::milliseconds limit, std::size_t& discarded) {
    discarded = 0;
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    char sink[256];
    for (;;) {
        const auto quietUntil = std::min(std::chrono::steady_clock::now() + quiet, giveUp);
        std::size_t got = 0;
        const SerialStatus status = ReadSome(sink, sizeof sink, quietUntil, got);
        if (status == SerialReadFailed) {
            return status;
        }
        discarded += got;
        if (status == SerialReadTimeout) {
            // Quiet for the whole interval, or out of patience.
            const bool quietReached = quietUntil < giveUp;
            const SerialStatus flushed = FlushInput();
            return flushed != SerialOk ? flushed : quietReached ? SerialOk : SerialReadTimeout;
        }
    }
}

SerialStatus Serial::FlushInput() {
    if (!isOpen_) {
        return SerialReadFailed;
    }
    return ::tcflush(fd_, TCIFLUSH) == 0 ? SerialOk : SerialReadFailed;
}

std::size_t Serial::PendingInput() const {
    int waiting = 0;
    if (!isOpen_ || ::ioctl(fd_, FIONREAD, &waiting) != 0 || waiting < 0) {
        return 0;
    }
    return static_cast<std::size_t>(waiting);
}

void Serial::WakeReads() {
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0) {
        (void)!::write(wakeFd_, &one, sizeof one);
    }
}

void Serial::ClearWake() {
    std::uint64_t value = 0;
    if (wakeFd_ >= 0) {
        (void)!::read(wakeFd_, &value, sizeof value);
    }
}

}  // namespace kyrvana
