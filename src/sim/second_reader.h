#pragma once

// Another program reading the stimulator's port: a terminal program left
// open, or a service that probes every new ttyACM. It holds its own
// descriptor on the port and takes whatever bytes it reaches first, so the
// program under test sees poll() announce bytes that its read() then does
// not find.

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

namespace kyrvana::sim {

class SecondReader {
  public:
    SecondReader() = default;
    ~SecondReader();
    SecondReader(const SecondReader&) = delete;
    SecondReader& operator=(const SecondReader&) = delete;

    // Opens `portPath` and starts taking bytes. False with a reason when the
    // port cannot be opened; true at once when it already reads.
    bool start(const std::string& portPath, std::string* error = nullptr);
    void stop();
    bool running() const { return thread_.joinable(); }
    std::size_t bytesTaken() const { return taken_; }

  private:
    void readLoop();

    int fd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
    std::atomic<std::size_t> taken_{0};
};

}  // namespace kyrvana::sim
