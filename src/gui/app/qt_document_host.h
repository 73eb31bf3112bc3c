#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

#include "core/document/document_host.h"
#include "core/editor/sequence_view_model.h"
#include "gui/app/gui_call_queue.h"

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::gui {

class CMainFrame;
class CStageView;
class MessageBoxes;

// The document's host in the desktop application. Everything the request
// thread asks of the user or of the sequence view is carried out on the GUI
// thread, where the widgets live:
//  - a message box, the view's work and the test-data dialog are queued to
//    the GUI thread and the asking thread waits for them to finish, as it
//    would behind a modal box; a call made on the GUI thread itself runs at
//    once;
//  - log lines, connection changes and the wait cursor are queued without
//    waiting, so a log line written in the middle of a device exchange never
//    holds the exchange up.
// The waiting is our own (a condition per call) rather than a blocking queued
// connection, so that shutDown() can answer a call that the GUI thread has
// not started yet: closing the window while the request thread waits for a
// box must never deadlock the join that follows.
class QtDocumentHost final : public QObject, public DocumentHost {
    Q_OBJECT

  public:
    // The test-data dialog: shown modally on the GUI thread while the request
    // thread waits; it may talk to the device through `link` (from a worker
    // of its own).
    using TestDataDialog = std::function<void(DeviceLink& link)>;

    explicit QtDocumentHost(MessageBoxes& boxes, QObject* parent = nullptr);
    ~QtDocumentHost() override;

    // Where the calls land; set on the GUI thread before the request thread
    // starts. Each may be null (the view's state is then kept here).
    void attach(CKyrvanaDoc* document, CMainFrame* frame, CStageView* view);

    // Hook for the test-data dialog of Hardware > Access Test Data. Until it
    // is set, the request thread's call returns at once and nothing is shown.
    void setTestDataDialog(TestDataDialog dialog);

    // Stops carrying calls out: queued calls that have not started and every
    // later call return at once with a default answer (OK; No to a question)
    // and show nothing; the view is no longer touched and log lines are
    // dropped. Called on the GUI thread when the window closes, before the
    // document's request thread is stopped and joined.
    void shutDown();
    bool isShutDown() const { return shutDown_.load(); }

    // How many calls from another thread the GUI thread is carrying out now
    // (a box it shows runs a nested event loop). The window must not join
    // the request thread while one runs.
    int callsInProgress() const { return callsInProgress_; }
    // Calls from other threads queued for the GUI thread and not started yet.
    int waitingCalls() const;

    // --- DocumentHost ----------------------------------------------------
    BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons) override;
    void withView(const std::function<void(SequenceViewModel&)>& work) override;
    void postLogLine(const std::string& line) override;
    void connectionChanged() override;
    void setBusy(bool busy) override;
    void runTestDataDialog(DeviceLink& link) override;
    void deviceStatusChanged(DeviceStatus status) override;

  signals:
    // The GUI thread finished the last call it was carrying out for another
    // thread.
    void callsFinished();

  private:
    struct PendingCall;

    bool onGuiThread() const;
    // Runs `work` on the GUI thread and waits; false when it was not run
    // (shut down, before or while waiting).
    bool runOnGuiThread(const std::function<void()>& work);
    void runPending(const std::shared_ptr<PendingCall>& call);
    BoxAnswer showBox(const std::string& text, const std::string& caption, BoxIcon icon,
                      BoxButtons buttons);
    void runViewWork(const std::function<void(SequenceViewModel&)>& work);
    SequenceViewModel& model();
    void applyBusy(bool busy);

    MessageBoxes& boxes_;
    CKyrvanaDoc* document_ = nullptr;
    QPointer<CMainFrame> frame_;
    QPointer<CStageView> view_;
    SequenceViewModel fallbackModel_;  // used while no view is attached
    TestDataDialog testDataDialog_;

    std::atomic<bool> shutDown_{false};
    mutable std::mutex pendingMutex_;
    std::list<std::shared_ptr<PendingCall>> pending_;  // guarded by pendingMutex_
    // Everything the request thread hands the GUI thread, in order; a call
    // that opens a dialog (Access Test Data) lets the later ones run.
    GuiCallQueue guiCalls_;
    int callsInProgress_ = 0;  // GUI thread only
    int busyDepth_ = 0;        // GUI thread only
};

}  // namespace kyrvana::gui
