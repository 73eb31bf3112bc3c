#include "gui/app/preview_commands.h"

#include <QMenu>
#include <QPointer>

#include "core/document/command_ids.h"
#include "gui/app/application_session.h"
#include "gui/app/document_commands.h"
#include "gui/app/main_frame.h"
#include "gui/app/window_layout.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {

// The preview takes three shares of any height the window gains, the form
// and the message pane one each: the chart is what needs the room.
constexpr int kPreviewStretch = 3;

SequencePreview* attachSequencePreview(ApplicationSession& session, CMainFrame& frame,
                                       AppSettings& settings, FileDialogs& dialogs,
                                       MessageBoxes& boxes) {
    CStageView& view = session.view();
    auto* preview = new SequencePreview(session.document(), view, settings, dialogs, boxes);
    view.setPreview(preview, kPreviewStretch);
    frame.viewMenu()->addAction(preview->toggleAction());
    QPointer<SequencePreview> alive(preview);
    session.commands().setHandler(kCmdExportPreview, [alive] {
        if (alive) {
            alive->exportPreview();
        }
    });
    restoreWindowLayout(WindowLayoutParts{frame, view, *preview}, settings);
    QObject::connect(&frame, &CMainFrame::closing, preview, [&frame, &view, preview, &settings] {
        saveWindowLayout(WindowLayoutParts{frame, view, *preview}, settings);
    });
    return preview;
}

}  // namespace kyrvana::gui
