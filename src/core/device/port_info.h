#pragma once

#include <string>

namespace kyrvana {

// One serial port as the port list found it. The hardware identifier carries
// the USB vendor and product identifiers in the form "USB\VID_03EB&PID_2404\..."
// so that the stimulator is matched by the same substrings on every platform.
struct PortInfo {
    std::string portName;     // the device path, such as /dev/ttyACM0
    std::string description;  // the device's own description, empty when unknown
    std::string hardwareId;   // the first hardware identifier, empty when unknown
};

}  // namespace kyrvana
