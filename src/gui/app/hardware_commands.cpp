#include "gui/app/hardware_commands.h"

#include "core/document/command_ids.h"
#include "core/document/kyrvana_doc.h"
#include "gui/app/application_session.h"
#include "gui/app/document_commands.h"
#include "gui/app/qt_document_host.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"
#include "gui/hardware/running_test_guard.h"
#include "gui/sdcard/access_test_data_dlg.h"

namespace kyrvana::gui {

void attachHardwareDialogs(ApplicationSession& session, AppSettings& settings, MessageBoxes& boxes,
                           QWidget* parent) {
    CKyrvanaDoc& document = session.document();

    session.host().setTestDataDialog([&settings, &boxes, parent](DeviceLink& link) {
        CAccessTestDataDlg dialog(link, boxes, settings, parent);
        dialog.exec();
    });

    // The request thread checks that no test is running before it opens the
    // dialog.
    session.commands().setHandler(
        kCmdAccessTestData, [&document] { document.PostRequest(DeviceRequest::AccessTestData); });

    // Both dialogs move the actuators: they open only when no test is
    // running, or when the user says to go on all the same.
    auto* guard = new RunningTestGuard(document.link(), boxes, parent);
    QObject::connect(&session, &ApplicationSession::shuttingDown, guard,
                     &RunningTestGuard::shutDown);
    session.commands().setHandler(kCmdMoveToPosition, [&document, guard, parent] {
        guard->openUnlessDeclined([&document, parent] {
            CMoveToSizeDlg dialog(document.link(), parent);
            dialog.exec();
        });
    });

    session.commands().setHandler(kCmdLoadCellCalibration, [&document, &boxes, guard, parent] {
        guard->openUnlessDeclined([&document, &boxes, parent] {
            CLoadCellCalDlg dialog(document.link(), boxes, parent);
            dialog.exec();
        });
    });
}

}  // namespace kyrvana::gui
