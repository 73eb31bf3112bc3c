#include "core/device/device_result.h"

namespace kyrvana {

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
    }
    return "failed";
}

std::string DeviceResult::describe() const {
    const std::string quoted = "\"" + command_ + "\"";
    std::string text;
    switch (failure_) {
        case DeviceFailure::None:
            return "success";
        case DeviceFailure::NoPort:
            text = "the device's port is not open";
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
            text = "a file could not be written";
            break;
        case DeviceFailure::Cancelled:
            text = "stopped before it was complete";
            break;
    }
    if (command_.empty() &&
        (failure_ == DeviceFailure::NoPort || failure_ == DeviceFailure::FileFailed ||
         failure_ == DeviceFailure::Cancelled)) {
        // nothing to add: the sentence does not name an exchange
    } else if (command_.empty()) {
        text = std::string(failureName(failure_));
    }
    if (!detail_.empty()) {
        text += " (" + detail_ + ")";
    }
    return text;
}

}  // namespace kyrvana
