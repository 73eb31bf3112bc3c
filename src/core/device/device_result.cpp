#include "core/device/device_result.h"

#include "core/common/printable_text.h"

namespace kyrvana {
namespace {

// The command in double quotes, its control bytes (0x1C of the packed
// commands, the carriage return of the test-state query) as \xHH.
std::string quotedCommand(const std::string& command) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely of an overlapping
    // copy (-Wrestrict) when a literal is put in front of a string.
    std::string quoted(1, '"');
    quoted += printableText(command);
    quoted += '"';
    return quoted;
}

}  // namespace

std::string_view failureName(DeviceFailure why) {
    switch (why) {
        case DeviceFailure::None:
            return "success";
        case DeviceFailure::NoPort:
            return "no port";
        case DeviceFailure::WriteFailed:
            return "write failed";
        case DeviceFailure::PortGone:
            return "port gone";
        case DeviceFailure::Timeout:
            return "time-out";
        case DeviceFailure::Unusable:
            return "unusable answer";
        case DeviceFailure::FileFailed:
            return "file failed";
        case DeviceFailure::Cancelled:
            return "cancelled";
        case DeviceFailure::Refused:
            return "refused";
    }
    return "failed";
}

std::string DeviceResult::describe() const {
    if (failure_ == DeviceFailure::None) {
        return "success";
    }
    std::string text;
    if (command_.empty()) {
        switch (failure_) {
            case DeviceFailure::NoPort:
                text = "the device's port is not open";
                break;
            case DeviceFailure::FileFailed:
                text = "a file could not be written";
                break;
            case DeviceFailure::Cancelled:
                text = "stopped before it was complete";
                break;
            case DeviceFailure::Refused:
                text = "refused before anything was sent";
                break;
            default:
                text = std::string(failureName(failure_));
                break;
        }
    } else {
        const std::string quoted = quotedCommand(command_);
        switch (failure_) {
            case DeviceFailure::NoPort:
                text = "the device's port is not open for " + quoted;
                break;
            case DeviceFailure::WriteFailed:
                text = "could not write " + quoted + " to the device";
                break;
            case DeviceFailure::PortGone:
                text = "the port failed while waiting for the answer to " + quoted;
                break;
            case DeviceFailure::Timeout:
                text = "no answer to " + quoted + " within the read time-out";
                break;
            case DeviceFailure::Unusable:
                text = "the device's answer to " + quoted + " could not be used";
                break;
            case DeviceFailure::FileFailed:
                text = "a file could not be written during " + quoted;
                break;
            case DeviceFailure::Cancelled:
                text = quoted + " was stopped before it was complete";
                break;
            case DeviceFailure::Refused:
                text = quoted + " was not sent";
                break;
            case DeviceFailure::None:
                break;
        }
    }
    if (!detail_.empty()) {
        text += " (" + detail_ + ")";
    }
    return text;
}

}  // namespace kyrvana
