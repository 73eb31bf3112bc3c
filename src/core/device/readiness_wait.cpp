#include "core/device/readiness_wait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace kyrvana {
namespace {

Readiness WaitFor(short events, int fd, int wakeFd,
                  std::chrono::steady_clock::time_point deadline) {
    if (fd < 0) {
        return Readiness::Failed;
    }
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        const int timeoutMs =
            left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 1 << 30));
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Readiness::Failed;
        }
        if (fds[1].revents != 0) {
            return Readiness::Woken;
        }
        if ((fds[0].revents & POLLNVAL) != 0) {
            return Readiness::Failed;
        }
        // Bytes that arrived before a hang-up are still delivered: a read
        // tells whether any are left.
        if ((fds[0].revents & events) != 0) {
            return Readiness::Ready;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            return Readiness::HungUp;
        }
        if (ready == 0 && timeoutMs == 0) {
            return Readiness::TimedOut;
        }
        // poll() may return early by a few microseconds of rounding: go round
        // again; a zero wait then reports the time-out.
        if (ready == 0 && std::chrono::steady_clock::now() >= deadline) {
            return Readiness::TimedOut;
        }
    }
}

}  // namespace

Readiness WaitReadable(int fd, int wakeFd, std::chrono::steady_clock::time_point deadline) {
    return WaitFor(POLLIN, fd, wakeFd, deadline);
}

Readiness WaitWritable(int fd, int wakeFd, std::chrono::steady_clock::time_point deadline) {
    return WaitFor(POLLOUT, fd, wakeFd, deadline);
}

}  // namespace kyrvana
