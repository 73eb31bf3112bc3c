#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "core/document/kyrvana_doc.h"

namespace kyrvana::gui {

class AppSettings;
class CMainFrame;
class CStageView;
class DocumentCommands;
class FileDialogs;
class MessageBoxes;
class QtDocumentHost;
class SequencePreview;

// The one document of a run and everything that joins it to the main frame:
// the Qt host of the document, the sequence view as the frame's client area,
// and the frame's commands. The request thread starts when the view is first
// shown and is stopped when the frame closes.
class ApplicationSession : public QObject {
    Q_OBJECT

  public:
    ApplicationSession(CMainFrame& frame, AppSettings& settings, MessageBoxes& boxes,
                       FileDialogs& dialogs, DocumentOptions options = {});
    // Stops the request thread (see shutDown()).
    ~ApplicationSession() override;

    CKyrvanaDoc& document() { return *document_; }
    QtDocumentHost& host() { return *host_; }
    CStageView& view();
    SequencePreview& preview();
    DocumentCommands& commands() { return *commands_; }

    // Answers what the request thread still waits for, stops it and joins
    // it. Runs when the frame closes; safe to call again.
    void shutDown();
    // Closes the frame without asking to save an edited sequence: the
    // process was told to end, and no one may be there to answer.
    void closeWithoutAsking();

  signals:
    // The device link is about to go: helpers that run device work of their
    // own finish it now.
    void shuttingDown();

  protected:
    // Holds the frame's close back while the GUI thread is showing a box for
    // the request thread (a nested event loop): joining the thread there
    // would wait for the box that the join itself keeps open. The close is
    // repeated once the box is answered.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<CMainFrame> frame_;
    // Declared before the document, which keeps a reference to it.
    std::unique_ptr<QtDocumentHost> host_;
    std::unique_ptr<CKyrvanaDoc> document_;
    QPointer<CStageView> view_;          // owned by the frame
    QPointer<SequencePreview> preview_;  // owned by the view
    std::unique_ptr<DocumentCommands> commands_;
    bool closeHeldBack_ = false;
    bool askBeforeClosing_ = true;
};

}  // namespace kyrvana::gui
