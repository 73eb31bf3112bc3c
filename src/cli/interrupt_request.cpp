#include "cli/interrupt_request.h"

#include <signal.h>

#include <array>

#include "core/device/serial.h"

namespace kyrvana::cli {
namespace {

// Lock-free atomics only: the handler may touch nothing else.
std::atomic<bool> gRequested{false};
std::atomic<Serial*> gWakeSerial{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<Serial*>::is_always_lock_free);

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kSignals.size()> gPrevious{};

extern "C" void onInterrupt(int) {
    gRequested.store(true);
    if (Serial* serial = gWakeSerial.load()) {
        // A write to an eventfd: safe in a signal handler.
        serial->WakeReads();
    }
}

}  // namespace

InterruptRequest::InterruptRequest() {
    gRequested.store(false);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in poll() returns and looks at its deadline.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], nullptr, &gPrevious[i]);
        // A signal the caller ignores (nohup) stays ignored.
        if (gPrevious[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &action, nullptr);
        }
    }
}

InterruptRequest::~InterruptRequest() {
    gWakeSerial.store(nullptr);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    }
}

const std::atomic<bool>* InterruptRequest::flag() const {
    return &gRequested;
}

void InterruptRequest::wakeReadsOf(Serial* serial) {
    gWakeSerial.store(serial);
}

}  // namespace kyrvana::cli
