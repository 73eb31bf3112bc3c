#pragma once

// The exchanges of an operation that goes on after one of them failed
// (programming sends every command whatever the answers; a read-back takes
// what it can): how many were sent, and each one that failed, in order, with
// its command text. DeviceLink::Record fills it from every exchange the
// operation makes, however deep in the command set that exchange is made.

#include <vector>

#include "core/device/device_result.h"

namespace kyrvana {

class ExchangeTally {
  public:
    // Counts one exchange; keeps it when it failed.
    void add(const DeviceResult& exchange) {
        ++sent_;
        if (!exchange.ok()) {
            failures_.push_back(exchange);
        }
    }

    int sent() const { return sent_; }
    const std::vector<DeviceResult>& failures() const { return failures_; }
    bool ok() const { return failures_.empty(); }
    // The first failed exchange, or success.
    DeviceResult first() const { return failures_.empty() ? DeviceResult{} : failures_.front(); }

  private:
    int sent_ = 0;
    std::vector<DeviceResult> failures_;
};

}  // namespace kyrvana
