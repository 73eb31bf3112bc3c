#pragma once

// Why a serial port could not be opened, in words a lab user can act on. The
// port's own failure line carries only the system's error number; the common
// causes on Linux (the user may not use serial ports, another program holds
// the port, the port went away, the name is not a serial port at all) deserve
// a plain explanation and the fix.

#include <string>

namespace kyrvana {

enum class PortOpenProblem {
    Other,         // anything else (an I/O error, no name at all)
    Permission,    // EACCES/EPERM: not in the dialout group, no udev rule
    InUse,         // EBUSY from TIOCEXCL, or EWOULDBLOCK from another holder's flock
    Gone,          // ENOENT/ENODEV/ENXIO: unplugged, switched off, or a wrong name
    NotATerminal,  // a file, a folder or another device: no serial line to talk over
};

// Looks at the port again, the way an open does (without changing its
// settings), to tell the causes apart. Meant for right after a failed open.
PortOpenProblem diagnosePortOpen(const std::string& portName);

// Permission when this user may not open the port for reading and writing,
// Other otherwise. Asks the kernel without opening the port: opening the
// stimulator's port restarts it.
PortOpenProblem portAccessProblem(const std::string& portName);

// True when the udev rule that gives the desktop user the stimulator's port is
// installed where this build puts it.
bool udevRuleInstalled();

// The explanation for the message log, ended by a line feed; empty for Other.
// One sentence, except that Permission also gives the fix.
// For Permission it names the udev rule and the command that applies it, or,
// when the rule is not installed, says to install it first.
std::string portOpenProblemText(PortOpenProblem problem, const std::string& portName,
                                bool ruleInstalled);

}  // namespace kyrvana
