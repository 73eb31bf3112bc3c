#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace kyrvana::gui {

// Calls from other threads for the thread this object lives on (the GUI
// thread), run there in the order they were posted.
//
// The calls cross under our own mutex rather than as functors handed to Qt:
// Qt's queued calls are ordered by its own futex-based locks, which
// ThreadSanitizer cannot see in Debian's Qt, so what a worker wrote before
// posting would look raced on the GUI thread. The event Qt carries is only a
// wake-up by name and holds nothing of ours; a wake-up still queued when the
// queue is destroyed is dropped with it.
class GuiCallQueue : public QObject {
    Q_OBJECT

  public:
    // What happens to later calls while a call waits in a nested event loop
    // (a box, a dialog):
    // - HoldLaterCalls: they wait until it returns, so a box a call shows
    //   cannot run later calls first; one wake-up runs the calls that were
    //   there when it came, so a worker posting without pause cannot keep the
    //   window from painting.
    // - RunLaterCalls: the nested loop runs them, in order, as it would
    //   queued events; for calls that open a dialog whose own work reports
    //   through later calls.
    enum class WhileACallWaits { HoldLaterCalls, RunLaterCalls };

    explicit GuiCallQueue(WhileACallWaits policy, QObject* parent = nullptr);

    // Any thread: runs `call` on this object's thread soon, without waiting.
    void post(std::function<void()> call);

  private:
    // Under mutex_: asks this object's thread to run the posted calls.
    void wakeUp();
    Q_INVOKABLE void runPostedCalls();
    void runHeldCalls();
    bool takeFront(std::function<void()>& call);

    const WhileACallWaits policy_;
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;  // guarded by mutex_
    bool wakeUpPending_ = false;                // guarded by mutex_
};

}  // namespace kyrvana::gui
