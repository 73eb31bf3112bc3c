#include "gui/app/application_session.h"

#include <QCloseEvent>

#include "core/programming/device_programming.h"
#include "gui/app/document_commands.h"
#include "gui/app/hardware_commands.h"
#include "gui/app/main_frame.h"
#include "gui/app/preview_commands.h"
#include "gui/app/qt_document_host.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {

ApplicationSession::ApplicationSession(CMainFrame& frame, AppSettings& settings,
                                       MessageBoxes& boxes, FileDialogs& dialogs,
                                       DocumentOptions options)
    : frame_(&frame), host_(std::make_unique<QtDocumentHost>(boxes)) {
    document_ = std::make_unique<CKyrvanaDoc>(*host_, std::move(options));
    installDeviceProgramming(*document_);

    view_ = new CStageView(*document_, *host_, boxes);
    frame.setCentralView(view_);
    host_->attach(document_.get(), &frame, view_);
    commands_ =
        std::make_unique<DocumentCommands>(*document_, *view_, settings, dialogs, boxes, &frame);

    attachHardwareDialogs(*this, settings, boxes, &frame);
    preview_ = attachSequencePreview(*this, frame, settings, dialogs, boxes);

    connect(&frame, &CMainFrame::commandTriggered, this, [this](int id) { commands_->run(id); });
    connect(view_.data(), &CStageView::firstShown, this, [this] {
        if (!host_->isShutDown()) {
            document_->StartRequestThread();
        }
    });
    connect(host_.get(), &QtDocumentHost::callsFinished, this, [this] {
        if (closeHeldBack_ && frame_) {
            closeHeldBack_ = false;
            frame_->close();
        }
    });
    frame.installEventFilter(this);
    frame.setConnected(document_->connected());
}

ApplicationSession::~ApplicationSession() {
    if (frame_) {
        frame_->removeEventFilter(this);
    }
    shutDown();
}

CStageView& ApplicationSession::view() {
    return *view_;
}

SequencePreview& ApplicationSession::preview() {
    return *preview_;
}

void ApplicationSession::shutDown() {
    emit shuttingDown();
    host_->shutDown();
    document_->StopRequestThread();
}

void ApplicationSession::closeWithoutAsking() {
    askBeforeClosing_ = false;
    if (frame_) {
        frame_->close();
    }
}

bool ApplicationSession::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame_.data() && event->type() == QEvent::Close) {
        if (host_->callsInProgress() > 0) {
            closeHeldBack_ = true;
            event->ignore();
            return true;
        }
        if (askBeforeClosing_ && !host_->isShutDown() && !commands_->mayClose()) {
            event->ignore();
            return true;
        }
        shutDown();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kyrvana::gui
