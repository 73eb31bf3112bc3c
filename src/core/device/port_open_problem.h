#pragma once

// Why a serial port could not be opened, in words a lab user can act on. The
// port's own failure line carries only the system's error number; the two
// common causes on Linux (the user may not use serial ports, or another
// program holds the port) deserve a plain explanation and the fix.

#include <string>

namespace kyrvana {

enum class PortOpenProblem {
    Other,       // missing device, not a terminal, ...
    Permission,  // EACCES/EPERM: not in the dialout group, no udev rule
    InUse,       // EBUSY from TIOCEXCL, or EWOULDBLOCK from another holder's flock
};

// Looks at the port again, the way an open does (without changing its
// settings), to tell the causes apart. Meant for right after a failed open.
PortOpenProblem diagnosePortOpen(const std::string& portName);

// The explanation for the message log, ended by a line feed; empty for Other.
std::string portOpenProblemText(PortOpenProblem problem, const std::string& portName);

}  // namespace kyrvana
