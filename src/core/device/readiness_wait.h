#pragma once

// Waiting for a serial port to become readable or writable, with a deadline
// and a second descriptor that wakes the wait for shutdown.

#include <chrono>

namespace kyrvana {

enum class Readiness {
    Ready,     // the call will not block (a read may still report end of file or EIO)
    TimedOut,  // the deadline passed first
    HungUp,    // the other end went away (hang-up or error) and nothing is left to read
    Woken,     // the wake descriptor was signalled
    Failed,    // poll() itself failed, or the descriptor is not open
};

// Waits until `fd` can be read, the deadline passes, or `wakeFd` (ignored when
// negative) becomes readable. Retries poll() when a signal interrupts it.
Readiness WaitReadable(int fd, int wakeFd, std::chrono::steady_clock::time_point deadline);

// The same for writing: the device's input queue has room again.
Readiness WaitWritable(int fd, int wakeFd, std::chrono::steady_clock::time_point deadline);

}  // namespace kyrvana
