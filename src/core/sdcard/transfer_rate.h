#pragma once

// The speed of a download and the time it still needs, for the line beside
// the progress bar ("812 kB/s, 0:42 left"). The device sends a file piece by
// piece, one command per kilobyte, and the pieces do not come at an even
// pace (the card, the USB frames, the computer's own load), so the rate is
// smoothed over a few seconds: a figure that jumps with every piece cannot
// be read, and a time left that swings back and forth cannot be trusted.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kyrvana {

class TransferRate {
  public:
    using Clock = std::chrono::steady_clock;

    // A new transfer begins at `start`.
    void restart(Clock::time_point start);
    // `done` of `total` bytes have arrived by `at`. Samples closer together
    // than kSampleInterval are taken together with the next one.
    void update(std::int64_t done, std::int64_t total, Clock::time_point at);

    // Bytes per second, once a first sample interval has passed.
    std::optional<double> bytesPerSecond() const;
    // "812 kB/s, 0:42 left"; empty until a rate is known.
    std::string text() const;

    static constexpr std::chrono::milliseconds kSampleInterval{500};
    // How long a change of pace takes to show for the most part.
    static constexpr std::chrono::seconds kSmoothing{3};

  private:
    Clock::time_point sampledAt_{};
    std::int64_t sampledBytes_ = 0;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    std::optional<double> rate_;
};

// "812 kB/s, 0:42 left" for a rate in bytes per second and the bytes still
// to come (kB of 1000 bytes, as the file sizes are shown; the time as m:ss,
// or h:mm:ss from an hour on, rounded up to whole seconds).
std::string transferRateText(double bytesPerSecond, std::int64_t remaining);

}  // namespace kyrvana
