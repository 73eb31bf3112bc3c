#include "gui/app/device_task_runner.h"

#include <QWidget>

namespace kyrvana::gui {

DeviceTaskRunner::DeviceTaskRunner(QObject* parent)
    : QObject(parent), guiCalls_(GuiCallQueue::WhileACallWaits::HoldLaterCalls) {}

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
    guiCalls_.post(std::move(call));
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
