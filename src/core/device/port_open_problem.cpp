#include "core/device/port_open_problem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

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

std::string portOpenProblemText(PortOpenProblem problem, const std::string& portName) {
    switch (problem) {
        case PortOpenProblem::Permission:
            return "You may not use the serial port " + portName +
                   ": add your user to the dialout group (sudo usermod -aG dialout $USER, then "
                   "log out and in again) or install the stimulator's udev rule.\n";
        case PortOpenProblem::InUse:
            return "The serial port " + portName +
                   " is in use by another program: close that program (or the other copy of this "
                   "one) and connect again.\n";
        case PortOpenProblem::Other:
            break;
    }
    return {};
}

}  // namespace kyrvana
