#include "gui/app/qt_document_host.h"

#include <QApplication>
#include <QCursor>
#include <QThread>
#include <condition_variable>

#include "core/document/kyrvana_doc.h"
#include "gui/app/latin1_text.h"
#include "gui/app/main_frame.h"
#include "gui/app/message_boxes.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {

// One call from another thread, waiting for the GUI thread. `work` lives on
// the waiting thread's stack: it is only touched while that thread waits,
// that is before the call is marked done or abandoned.
struct QtDocumentHost::PendingCall {
    enum class State { Waiting, Running, Done, Abandoned };

    const std::function<void()>* work = nullptr;
    State state = State::Waiting;  // guarded by mutex
    std::mutex mutex;
    std::condition_variable changed;

    void finish(State final) {
        {
            std::lock_guard lock(mutex);
            state = final;
        }
        changed.notify_all();
    }
};

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// What a box answers when no one can be asked any more: the harmless choice.
BoxAnswer defaultAnswer(BoxButtons buttons) {
    return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
}

}  // namespace

QtDocumentHost::QtDocumentHost(MessageBoxes& boxes, QObject* parent)
    : QObject(parent), boxes_(boxes), guiCalls_(GuiCallQueue::WhileACallWaits::RunLaterCalls) {}

QtDocumentHost::~QtDocumentHost() {
    shutDown();
}

void QtDocumentHost::attach(CKyrvanaDoc* document, CMainFrame* frame, CStageView* view) {
    document_ = document;
    frame_ = frame;
    view_ = view;
}

void QtDocumentHost::setTestDataDialog(TestDataDialog dialog) {
    testDataDialog_ = std::move(dialog);
}

void QtDocumentHost::shutDown() {
    std::list<std::shared_ptr<PendingCall>> abandoned;
    {
        std::lock_guard lock(pendingMutex_);
        shutDown_.store(true);
        abandoned.swap(pending_);
    }
    for (const auto& call : abandoned) {
        std::unique_lock lock(call->mutex);
        // A call the GUI thread is running (a box in a nested event loop)
        // cannot be taken back: its work refers to the waiting thread's
        // state. It ends when the box is closed.
        if (call->state == PendingCall::State::Waiting) {
            call->state = PendingCall::State::Abandoned;
            lock.unlock();
            call->changed.notify_all();
        }
    }
    if (onGuiThread()) {
        while (busyDepth_ > 0) {
            applyBusy(false);
        }
    }
}

int QtDocumentHost::waitingCalls() const {
    std::lock_guard lock(pendingMutex_);
    return static_cast<int>(pending_.size());
}

bool QtDocumentHost::onGuiThread() const {
    return QThread::currentThread() == thread();
}

bool QtDocumentHost::runOnGuiThread(const std::function<void()>& work) {
    if (onGuiThread()) {
        if (shutDown_.load()) {
            return false;
        }
        work();
        return true;
    }
    auto call = std::make_shared<PendingCall>();
    call->work = &work;
    {
        std::lock_guard lock(pendingMutex_);
        if (shutDown_.load()) {
            return false;
        }
        pending_.push_back(call);
    }
    guiCalls_.post([this, call] { runPending(call); });
    std::unique_lock lock(call->mutex);
    call->changed.wait(lock, [&] {
        return call->state == PendingCall::State::Done ||
               call->state == PendingCall::State::Abandoned;
    });
    return call->state == PendingCall::State::Done;
}

void QtDocumentHost::runPending(const std::shared_ptr<PendingCall>& call) {
    {
        std::lock_guard lock(pendingMutex_);
        pending_.remove(call);
    }
    {
        std::lock_guard lock(call->mutex);
        if (call->state != PendingCall::State::Waiting) {
            return;  // abandoned by shutDown()
        }
        call->state = PendingCall::State::Running;
    }
    ++callsInProgress_;
    (*call->work)();
    --callsInProgress_;
    call->finish(PendingCall::State::Done);
    if (callsInProgress_ == 0) {
        emit callsFinished();
    }
}

BoxAnswer QtDocumentHost::showBox(const std::string& text, const std::string& caption, BoxIcon icon,
                                  BoxButtons buttons) {
    const QMessageBox::StandardButtons qtButtons =
        buttons == BoxButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QWidget* parent = frame_.data();
    // A question from device work asks whether to go on; Enter must not
    // say yes by accident.
    const QMessageBox::StandardButton defaultButton =
        buttons == BoxButtons::YesNo ? QMessageBox::No : QMessageBox::NoButton;
    const QMessageBox::StandardButton answer = boxes_.show(
        parent, fromCore(caption), fromCore(text), qtIcon(icon), qtButtons, defaultButton);
    switch (answer) {
        case QMessageBox::Yes:
            return BoxAnswer::Yes;
        case QMessageBox::No:
            return BoxAnswer::No;
        case QMessageBox::Ok:
            return BoxAnswer::Ok;
        default:
            return defaultAnswer(buttons);
    }
}

BoxAnswer QtDocumentHost::messageBox(const std::string& text, const std::string& caption,
                                     BoxIcon icon, BoxButtons buttons) {
    BoxAnswer answer = defaultAnswer(buttons);
    const std::function<void()> work = [&] { answer = showBox(text, caption, icon, buttons); };
    if (!runOnGuiThread(work)) {
        return defaultAnswer(buttons);
    }
    return answer;
}

SequenceViewModel& QtDocumentHost::model() {
    return view_ ? view_->model() : fallbackModel_;
}

void QtDocumentHost::runViewWork(const std::function<void(SequenceViewModel&)>& work) {
    work(model());
    if (view_) {
        view_->refreshFromModel();
    }
}

void QtDocumentHost::withView(const std::function<void(SequenceViewModel&)>& work) {
    runOnGuiThread([&] { runViewWork(work); });
}

void QtDocumentHost::postLogLine(const std::string& line) {
    if (shutDown_.load()) {
        return;
    }
    guiCalls_.post([this, line] {
        if (shutDown_.load()) {
            return;
        }
        if (view_) {
            view_->appendLogText(line);
        } else {
            fallbackModel_.appendMessage(line);
        }
    });
}

void QtDocumentHost::connectionChanged() {
    if (shutDown_.load()) {
        return;
    }
    guiCalls_.post([this] {
        if (shutDown_.load() || document_ == nullptr) {
            return;
        }
        // The flags are read now rather than when the change was
        // announced: a plug and an unplug in quick succession end on
        // the state that holds.
        if (frame_) {
            frame_->setConnected(document_->connected());
        }
        if (view_) {
            view_->refreshFromModel();
        }
    });
}

void QtDocumentHost::deviceStatusChanged(DeviceStatus status) {
    if (shutDown_.load()) {
        return;
    }
    // Queued in order with the other calls, so the line ends on the status
    // announced last.
    guiCalls_.post([this, status] {
        if (!shutDown_.load() && frame_) {
            frame_->showDeviceStatus(status);
        }
    });
}

void QtDocumentHost::setBusy(bool busy) {
    if (shutDown_.load()) {
        return;
    }
    guiCalls_.post([this, busy] {
        if (!shutDown_.load()) {
            applyBusy(busy);
        }
    });
}

void QtDocumentHost::applyBusy(bool busy) {
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void QtDocumentHost::runTestDataDialog(DeviceLink& link) {
    runOnGuiThread([&] {
        if (testDataDialog_) {
            testDataDialog_(link);
        }
    });
}

}  // namespace kyrvana::gui
