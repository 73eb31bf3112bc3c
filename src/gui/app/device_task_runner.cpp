#include "gui/app/device_task_runner.h"

#include <QMetaObject>
#include <QWidget>

namespace kyrvana::gui {

DeviceTaskRunner::DeviceTaskRunner(QObject* parent) : QObject(parent) {}

DeviceTaskRunner::~DeviceTaskRunner() {
    shutDown();
}

void DeviceTaskRunner::run(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { workerLoop(); });
        }
        tasks_.push_back([this, work = std::move(work), done = std::move(done)] {
            work();
            post([this, done] { taskFinished(done); });
        });
    }
    wake_.notify_one();
    if (++pending_ == 1) {
        focusReturn_.remember(qobject_cast<QWidget*>(parent()));
        emit busyChanged(true);
    }
}

void DeviceTaskRunner::post(std::function<void()> call) {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(call));
    if (!wakeUpPending_) {
        wakeUpPending_ = true;
        wakeUp();
    }
}

void DeviceTaskRunner::wakeUp() {
    // Queued by name, so that the wake-up Qt carries holds nothing of ours:
    // the calls themselves cross under postedMutex_. A wake-up still queued
    // when the runner is destroyed is dropped with it.
    QMetaObject::invokeMethod(this, "runPostedCalls", Qt::QueuedConnection);
}

void DeviceTaskRunner::runPostedCalls() {
    // Only the calls that were there when the event came, one at a time and
    // in order, so that a box a call shows cannot run later calls first and a
    // worker that posts without pause cannot keep the window from painting.
    std::size_t budget = 0;
    {
        std::lock_guard lock(postedMutex_);
        budget = posted_.size();
    }
    for (; budget > 0; --budget) {
        std::function<void()> call;
        {
            std::lock_guard lock(postedMutex_);
            if (posted_.empty()) {
                break;
            }
            call = std::move(posted_.front());
            posted_.pop_front();
        }
        call();
    }
    std::lock_guard lock(postedMutex_);
    if (posted_.empty()) {
        wakeUpPending_ = false;
    } else {
        wakeUp();
    }
}

void DeviceTaskRunner::shutDown(bool finishQueued) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        finishQueued_ = finishQueued;
        if (!finishQueued) {
            tasks_.clear();
        }
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void DeviceTaskRunner::workerLoop() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_ && (!finishQueued_ || tasks_.empty())) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void DeviceTaskRunner::taskFinished(const std::function<void()>& done) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
    }
    if (done) {
        done();
    }
    if (--pending_ == 0) {
        emit busyChanged(false);
        focusReturn_.restore();
    }
}

}  // namespace kyrvana::gui
