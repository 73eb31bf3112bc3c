#pragma once

// The test's own end of the simulator's port: a plain descriptor on the
// pseudo-terminal's slave side, raw, with reads that wait up to a deadline.
// Independent of the program's serial classes on purpose, so the simulator
// is checked on its own.

#include <chrono>
#include <cstddef>
#include <string>

namespace kyrvana::sim_tests {

class RawPort {
  public:
    explicit RawPort(const std::string& path);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool send(const std::string& bytes);

    // Bytes up to and including `terminator`, or what arrived before the
    // deadline, the end of file or an error.
    std::string readUntil(char terminator,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));
    std::string readExact(std::size_t count,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Everything that arrives until nothing came for `quiet`.
    std::string readQuiet(std::chrono::milliseconds quiet);
    // The exchange as the program makes it: write, then read a CR-ended line.
    std::string ask(const std::string& command);
    // True when the line went away (end of file, hang-up or EIO).
    bool hungUp() const { return hungUp_; }

  private:
    // One read of up to `count` bytes within `timeout`; false on time-out.
    bool readSome(std::string* into, std::size_t count, std::chrono::milliseconds timeout);

    int fd_ = -1;
    bool hungUp_ = false;
};

}  // namespace kyrvana::sim_tests
