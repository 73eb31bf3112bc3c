#include "core/common/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace kyrvana {
namespace {

constexpr int kSlots = 16;

enum SlotState : int { kFree, kFilling, kArmed };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

Slot slots[kSlots];

extern "C" void removeTemporariesAndEnd(int signal) {
    for (Slot& slot : slots) {
        if (slot.state.load() == kArmed) {
            ::unlink(slot.path);
        }
    }
    // The handler was reset to the default when it was entered; the signal
    // raised again is delivered when the handler returns and ends the
    // program as the signal always did.
    ::raise(signal);
}

}  // namespace

int registerInterruptCleanup(const char* path) {
    if (std::strlen(path) >= PATH_MAX) {
        return -1;
    }
    for (int index = 0; index < kSlots; ++index) {
        int expected = kFree;
        if (slots[index].state.compare_exchange_strong(expected, kFilling)) {
            std::strcpy(slots[index].path, path);
            slots[index].state.store(kArmed);
            return index;
        }
    }
    return -1;
}

void releaseInterruptCleanup(int slot) {
    if (slot >= 0 && slot < kSlots) {
        slots[slot].state.store(kFree);
    }
}

void installInterruptCleanup() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action = {};
        action.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace kyrvana
