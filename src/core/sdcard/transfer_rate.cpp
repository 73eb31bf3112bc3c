#include "core/sdcard/transfer_rate.h"

#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"

namespace kyrvana {

void TransferRate::restart(Clock::time_point start) {
    sampledAt_ = start;
    sampledBytes_ = 0;
    done_ = 0;
    total_ = 0;
    rate_.reset();
}

void TransferRate::update(std::int64_t done, std::int64_t total, Clock::time_point at) {
    done_ = done;
    total_ = total;
    const std::chrono::duration<double> span = at - sampledAt_;
    if (span < kSampleInterval) {
        return;
    }
    const double sample = static_cast<double>(done - sampledBytes_) / span.count();
    if (!rate_) {
        rate_ = sample;
    } else {
        // An exponential average whose weight follows the time between
        // samples, so that an uneven sampling does not change the smoothing.
        const double weight =
            1.0 - std::exp(-span.count() / std::chrono::duration<double>(kSmoothing).count());
        *rate_ += weight * (sample - *rate_);
    }
    sampledAt_ = at;
    sampledBytes_ = done;
}

std::optional<double> TransferRate::bytesPerSecond() const {
    return rate_;
}

std::string TransferRate::text() const {
    if (!rate_) {
        return {};
    }
    return transferRateText(*rate_, std::max<std::int64_t>(total_ - done_, 0));
}

std::string transferRateText(double bytesPerSecond, std::int64_t remaining) {
    const std::string speed = cFormat("%.0f kB/s", std::max(bytesPerSecond, 0.0) / 1000.0);
    if (bytesPerSecond <= 0.0) {
        return speed;
    }
    const double seconds = std::ceil(static_cast<double>(remaining) / bytesPerSecond);
    // Beyond a hundred hours the figure says nothing a person could use.
    const auto left = static_cast<long long>(std::min(seconds, 99.0 * 3600 + 59 * 60 + 59));
    const long long hours = left / 3600;
    const long long minutes = left / 60 % 60;
    const long long secs = left % 60;
    if (hours > 0) {
        return speed + cFormat(", %lld:%02lld:%02lld left", hours, minutes, secs);
    }
    return speed + cFormat(", %lld:%02lld left", minutes, secs);
}

}  // namespace kyrvana
