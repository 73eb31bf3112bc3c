#include "core/device/port_open_problem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "kyrvana/project_identity.h"

namespace kyrvana {
namespace {

PortOpenProblem fromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return PortOpenProblem::Permission;
        case EBUSY:
        case EWOULDBLOCK:
            return PortOpenProblem::InUse;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortOpenProblem::Gone;
        case ENOTTY:
        case EISDIR:
            return PortOpenProblem::NotATerminal;
        default:
            return PortOpenProblem::Other;
    }
}

}  // namespace

PortOpenProblem diagnosePortOpen(const std::string& portName) {
    if (portName.empty()) {
        return PortOpenProblem::Other;
    }
    // A port that another program opened exclusively (TIOCEXCL) refuses this
    // open with EBUSY; one we may not use refuses it with EACCES.
    const int fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return fromErrno(errno);
    }
    if (::isatty(fd) == 0) {
        ::close(fd);
        return PortOpenProblem::NotATerminal;
    }
    // Another copy of this program running as root holds only the lock.
    PortOpenProblem problem = PortOpenProblem::Other;
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        problem = fromErrno(errno);
    }
    ::close(fd);
    return problem;
}

PortOpenProblem portAccessProblem(const std::string& portName) {
    if (portName.empty() || ::faccessat(AT_FDCWD, portName.c_str(), R_OK | W_OK, AT_EACCESS) == 0) {
        return PortOpenProblem::Other;
    }
    return errno == EACCES || errno == EPERM ? PortOpenProblem::Permission : PortOpenProblem::Other;
}

bool udevRuleInstalled() {
    std::error_code ec;
    return std::filesystem::is_regular_file(kUdevRulePath, ec);
}

std::string portOpenProblemText(PortOpenProblem problem, const std::string& portName,
                                bool ruleInstalled) {
    // The rule opens the port to the user at the local desktop (logind's
    // uaccess); a port plugged in before the rule arrived needs it applied.
    // Over a remote login only the dialout group helps.
    const std::string rule = std::string("Kyrvana's udev rule (") + kUdevRulePath + ")";
    const std::string dialout =
        " Over a remote login, add your user to the dialout group instead (sudo usermod -aG "
        "dialout $USER, then log out and in again).\n";
    switch (problem) {
        case PortOpenProblem::Permission:
            if (ruleInstalled) {
                return "You may not use the serial port " + portName + ". " + rule +
                       " gives the user at the desktop access to the stimulator; apply it "
                       "without logging out: " +
                       kUdevApplyCommand + "." + dialout;
            }
            return "You may not use the serial port " + portName + ". Install " + rule +
                   ", which gives the user at the desktop access to the stimulator, and apply "
                   "it without logging out: " +
                   kUdevApplyCommand + "." + dialout;
        case PortOpenProblem::InUse:
            return "The serial port " + portName +
                   " is in use by another program: close that program (or the other copy of this "
                   "one) and connect again.\n";
        case PortOpenProblem::Gone:
            return "There is no serial port " + portName +
                   " (any more): the stimulator is unplugged or switched off, or the name is "
                   "wrong.\n";
        case PortOpenProblem::NotATerminal:
            return portName +
                   " is not a serial port, so the stimulator cannot be reached "
                   "through it.\n";
        case PortOpenProblem::Other:
            break;
    }
    return {};
}

}  // namespace kyrvana
