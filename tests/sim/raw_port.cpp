#include "raw_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace kyrvana::sim_tests {

RawPort::RawPort(const std::string& path) {
    // Non-blocking, so that a byte another reader took after poll() cannot
    // block the test in read().
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        return;
    }
    termios settings{};
    if (tcgetattr(fd_, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
}

RawPort::~RawPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool RawPort::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                return false;
            }
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawPort::readSome(std::string* into, std::size_t count, std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, std::min(count, sizeof buffer));
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return true;
        }
        hungUp_ = true;
        return false;
    }
    into->append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::string RawPort::readUntil(char terminator, std::chrono::milliseconds timeout) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.empty() || bytes.back() != terminator) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(&bytes, 1, left)) {
            break;
        }
    }
    return bytes;
}

std::string RawPort::readExact(std::size_t count, std::chrono::milliseconds timeout) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(&bytes, count - bytes.size(), left)) {
            break;
        }
    }
    return bytes;
}

std::string RawPort::readQuiet(std::chrono::milliseconds quiet) {
    std::string bytes;
    while (readSome(&bytes, 4096, quiet)) {
    }
    return bytes;
}

std::string RawPort::ask(const std::string& command) {
    if (!send(command)) {
        return {};
    }
    return readUntil('\r');
}

}  // namespace kyrvana::sim_tests
