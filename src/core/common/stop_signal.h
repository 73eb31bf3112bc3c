#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kyrvana {

// A request to stop, given by one thread and seen by another that waits
// between steps of its work: the waiting thread wakes as soon as the request
// comes instead of sleeping out its interval.
class StopSignal {
  public:
    void request() {
        {
            std::lock_guard lock(mutex_);
            requested_ = true;
        }
        wake_.notify_all();
    }

    bool requested() const {
        std::lock_guard lock(mutex_);
        return requested_;
    }

    // Waits up to `interval`; true when a stop was requested before or
    // during the wait.
    bool waitFor(std::chrono::milliseconds interval) {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, interval, [this] { return requested_; });
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
};

}  // namespace kyrvana
