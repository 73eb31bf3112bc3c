#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kyrvana::sim {

namespace {

std::string describe(const char* step) {
    return std::string(step) + " failed: " + std::strerror(errno);
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    closeSlave();
    closeMaster();
}

bool PseudoTerminal::open(std::string* error) {
    const auto fail = [&](const char* step) {
        if (error != nullptr) {
            *error = describe(step);
        }
        closeSlave();
        closeMaster();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0) {
        return fail("posix_openpt");
    }
    if (grantpt(master_) != 0) {
        return fail("grantpt");
    }
    if (unlockpt(master_) != 0) {
        return fail("unlockpt");
    }
    char name[256] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) {
        return fail("ptsname");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        return fail("open of the slave side");
    }
    // The line discipline sits on the slave side and governs both directions:
    // raw mode there means the master sees exactly the bytes the program
    // wrote and the program exactly the bytes of the answers.
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) {
        return fail("tcgetattr");
    }
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
        return fail("tcsetattr");
    }
    return true;
}

void PseudoTerminal::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PseudoTerminal::closeSlave() {
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

}  // namespace kyrvana::sim
