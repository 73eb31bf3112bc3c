#pragma once

// The outcome of talking to the stimulator: one type for a single exchange and
// for every operation built from exchanges (connect, program, read, download,
// delete, moves, calibration, EEPROM items). It says whether the work was done
// and, when it was not, which exchange failed and why, so that the window's
// texts, the command-line tool's exit status and the tests all follow the same
// fact instead of each caller guessing from a number or from display text.

#include <string>
#include <string_view>
#include <utility>

#include "core/device/serial_status.h"

namespace kyrvana {

// Why an exchange or an operation failed.
enum class DeviceFailure {
    None,         // it worked
    NoPort,       // no device is connected, or its port could not be opened
    WriteFailed,  // the command could not be written to the port
    PortGone,     // the port failed while reading: unplugged, hung up, reads woken
    Timeout,      // the answer did not come (in full) within the read time-out
    Unusable,     // the device answered something that cannot be used
    FileFailed,   // a file on this computer could not be read or written
    Cancelled,    // the user or a signal stopped the operation
    Refused,      // nothing was sent: the request cannot be put to the device as it
                  // stands (a sequence that fails its checks, a name the command
                  // cannot carry, a revision text the device does not have)
};

class [[nodiscard]] DeviceResult {
  public:
    // Success.
    DeviceResult() = default;

    static DeviceResult failure(DeviceFailure why, std::string command, std::string detail = {}) {
        DeviceResult result;
        result.failure_ = why == DeviceFailure::None ? DeviceFailure::Unusable : why;
        result.command_ = std::move(command);
        result.detail_ = std::move(detail);
        return result;
    }

    // The failure that a serial status stands for (success for SerialOk).
    static DeviceResult fromSerial(SerialStatus status, std::string command) {
        switch (status) {
            case SerialOk:
                return {};
            case SerialOpenFailed:
            case SerialTimeoutsFailed:
                return failure(DeviceFailure::NoPort, std::move(command));
            case SerialWriteFailed:
                return failure(DeviceFailure::WriteFailed, std::move(command));
            case SerialReadFailed:
                return failure(DeviceFailure::PortGone, std::move(command));
            case SerialReadTimeout:
                return failure(DeviceFailure::Timeout, std::move(command));
            case SerialBufferFull:
                return failure(DeviceFailure::Unusable, std::move(command), "answer too long");
        }
        return failure(DeviceFailure::Unusable, std::move(command));
    }

    bool ok() const { return failure_ == DeviceFailure::None; }
    // For an operation of several steps that takes each of them: keeps this
    // failure, or takes `later` while everything so far worked.
    DeviceResult& keepFirstFailure(DeviceResult later) {
        if (ok()) {
            *this = std::move(later);
        }
        return *this;
    }
    explicit operator bool() const { return ok(); }
    // The device did not answer: nothing came in time, the port went away or
    // could not be written. (An answer that came but could not be used is
    // not this.)
    bool wentUnanswered() const {
        return failure_ == DeviceFailure::Timeout || failure_ == DeviceFailure::PortGone ||
               failure_ == DeviceFailure::WriteFailed || failure_ == DeviceFailure::NoPort;
    }

    DeviceFailure why() const { return failure_; }
    // The command text of the exchange that failed, byte for byte as sent;
    // empty when the failure was not an exchange's.
    const std::string& command() const { return command_; }
    // What else is known: the unusable answer, the file, the errno text.
    const std::string& detail() const { return detail_; }

    // One plain sentence for a person, e.g.
    // "no answer to \"QueryRev(0)\" within the read time-out". Control bytes
    // of the command (the packed commands' 0x1C, a carriage return) are
    // written as \xHH so that the sentence stays one readable line.
    std::string describe() const;

  private:
    DeviceFailure failure_ = DeviceFailure::None;
    std::string command_;
    std::string detail_;
};

// A short name of the failure kind ("time-out", "no port", ...).
std::string_view failureName(DeviceFailure why);

}  // namespace kyrvana
