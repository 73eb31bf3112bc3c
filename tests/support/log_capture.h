#pragma once

// Collects the lines written to the message log during a test, and keeps
// them off the test's standard output.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kyrvana::test {

class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const;
    // How many lines were exactly `line`.
    std::size_t Count(std::string_view line) const;
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace kyrvana::test
