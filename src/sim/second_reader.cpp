#include "sim/second_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace kyrvana::sim {

SecondReader::~SecondReader() {
    stop();
}

bool SecondReader::start(const std::string& portPath, std::string* error) {
    if (running()) {
        return true;
    }
    fd_ = ::open(portPath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0 || stopFd_ < 0) {
        if (error != nullptr) {
            *error = portPath + ": " + std::strerror(errno);
        }
        stop();
        return false;
    }
    thread_ = std::thread([this] { readLoop(); });
    return true;
}

void SecondReader::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        (void)!::write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    for (int* fd : {&fd_, &stopFd_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void SecondReader::readLoop() {
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 &&
            (fds[1].revents & POLLIN) == 0) {
            return;  // the port went away
        }
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got > 0) {
            taken_ += static_cast<std::size_t>(got);
        }
    }
}

}  // namespace kyrvana::sim
