#pragma once

// Ctrl+C (SIGINT), SIGTERM and a closed terminal (SIGHUP) while kyrvana-cli
// downloads or programs. Ending the process in the middle of an exchange
// would leave a temporary file behind, unread answers in the port's queue
// and the device's memory half written without a word. Instead, while an
// InterruptRequest lives, these signals only ask the running operation to
// stop at its next safe point: between two pieces of a file (the file is
// then dropped, an earlier copy kept) or between two EEPROM items (the user
// is told what the device now holds). The port is closed the usual way.

#include <atomic>

namespace kyrvana {
class Serial;
}

namespace kyrvana::cli {

class InterruptRequest {
  public:
    // Installs the handlers; the earlier ones come back when it goes.
    InterruptRequest();
    ~InterruptRequest();
    InterruptRequest(const InterruptRequest&) = delete;
    InterruptRequest& operator=(const InterruptRequest&) = delete;

    // Set by the first of the signals; the operations poll it.
    const std::atomic<bool>* flag() const;
    bool requested() const { return flag()->load(); }

    // Reads of `serial` (null: none) end at once on a signal, so that a
    // download need not wait for a stalled device's time-out to stop.
    // Programming does not ask for this: it finishes the item it is in.
    void wakeReadsOf(Serial* serial);
};

}  // namespace kyrvana::cli
