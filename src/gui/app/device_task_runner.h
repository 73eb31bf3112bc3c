#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "gui/app/gui_call_queue.h"
#include "gui/controls/focus_return.h"

namespace kyrvana::gui {

// The one way a window runs device work off the GUI thread (the dialogs'
// exchanges, the set editor's check with the device): a worker thread of its
// own runs one task after another in the order given, so that the GUI
// thread never waits for the device and the window keeps repainting. What a task finds goes back to
// the GUI thread through queued calls (post(), and the task's `done`).
//
// The dialog disables its controls while the runner is busy; the control
// that had the focus when the work began (the button that started it) gets
// it back when the work ends.
//
// All members except post() are for the GUI thread. The destructor waits for
// the running task and drops the queued ones; a dialog therefore refuses to
// close while it is busy.
class DeviceTaskRunner : public QObject {
    Q_OBJECT

  public:
    explicit DeviceTaskRunner(QObject* parent = nullptr);
    ~DeviceTaskRunner() override;
    DeviceTaskRunner(const DeviceTaskRunner&) = delete;
    DeviceTaskRunner& operator=(const DeviceTaskRunner&) = delete;

    // Queues `work` for the worker thread; `done`, when given, then runs on
    // the GUI thread. busyChanged(true) is emitted when the runner was idle.
    void run(std::function<void()> work, std::function<void()> done = {});

    // From a task: runs `call` on the GUI thread soon, without waiting.
    void post(std::function<void()> call);

    // Tasks queued or running, or their `done` not yet run.
    bool busy() const { return pending_ > 0; }

    // Waits for the running task and drops the queued ones (or, with
    // `finishQueued`, runs them first); no `done` runs afterwards. Called by
    // the destructor; a dialog calls it first thing in its own destructor,
    // before the members its tasks report to are gone.
    void shutDown(bool finishQueued = false);

  signals:
    void busyChanged(bool busy);

  private:
    void workerLoop();
    void taskFinished(const std::function<void()>& done);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    bool finishQueued_ = false;
    std::thread worker_;
    // Calls from the worker for the GUI thread; a box one of them shows
    // holds the later ones.
    GuiCallQueue guiCalls_;
    int pending_ = 0;  // GUI thread only
    FocusReturn focusReturn_;
};

}  // namespace kyrvana::gui
