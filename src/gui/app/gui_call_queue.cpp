#include "gui/app/gui_call_queue.h"

#include <QMetaObject>

namespace kyrvana::gui {

GuiCallQueue::GuiCallQueue(WhileACallWaits policy, QObject* parent)
    : QObject(parent), policy_(policy) {}

void GuiCallQueue::post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(call));
    if (!wakeUpPending_) {
        wakeUpPending_ = true;
        wakeUp();
    }
}

void GuiCallQueue::wakeUp() {
    QMetaObject::invokeMethod(this, "runPostedCalls", Qt::QueuedConnection);
}

bool GuiCallQueue::takeFront(std::function<void()>& call) {
    if (posted_.empty()) {
        return false;
    }
    call = std::move(posted_.front());
    posted_.pop_front();
    return true;
}

void GuiCallQueue::runPostedCalls() {
    if (policy_ == WhileACallWaits::HoldLaterCalls) {
        runHeldCalls();
        return;
    }
    // One call a wake-up, the next wake-up queued before the call runs: a
    // nested event loop in the call then runs the later ones, in order.
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        if (!takeFront(call)) {
            wakeUpPending_ = false;
            return;
        }
        if (posted_.empty()) {
            wakeUpPending_ = false;
        } else {
            wakeUp();
        }
    }
    call();
}

void GuiCallQueue::runHeldCalls() {
    std::size_t budget = 0;
    {
        std::lock_guard lock(mutex_);
        budget = posted_.size();
    }
    for (; budget > 0; --budget) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (!takeFront(call)) {
                break;
            }
        }
        call();
    }
    std::lock_guard lock(mutex_);
    if (posted_.empty()) {
        wakeUpPending_ = false;
    } else {
        wakeUp();
    }
}

}  // namespace kyrvana::gui
