#pragma once

// The application's whole window on a simulated stimulator in this process:
// the main frame with its session, message boxes answered by a recording
// fake and file dialogs by a script, settings in a temporary INI file.

#include <QAction>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <initializer_list>
#include <memory>
#include <string>

#include "connected_document.h"
#include "core/document/command_ids.h"
#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/main_frame.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/stage_view.h"
#include "scripted_file_dialogs.h"

namespace kyrvana::gui {

struct SessionWindow {
    // The settings live in `settingsFile` when one is given, so that a later
    // window reads what an earlier one kept; otherwise in a file of its own.
    explicit SessionWindow(const QString& settingsFile = QString())
        : settings(std::make_unique<QSettings>(settingsFile.isEmpty()
                                                   ? folder.filePath(QStringLiteral("settings.ini"))
                                                   : settingsFile,
                                               QSettings::IniFormat)) {
        started = device.start(&error);
        session = std::make_unique<ApplicationSession>(frame, settings, boxes, dialogs,
                                                       quickDocumentOptions(device.sysfsRoot()));
    }
    ~SessionWindow() { session.reset(); }

    QAction* action(int id) const { return frame.commandAction(id); }
    CStageView& view() { return session->view(); }
    QString pane() { return view().messagePane()->toPlainText(); }
    bool showAndConnect() {
        if (!started) {
            return false;
        }
        frame.show();
        return QTest::qWaitFor([&] { return action(kCmdProgramDevice)->isEnabled(); }, 10000);
    }
    // Puts `sets` into the view as if they had been opened from a file:
    // replacing them asks nothing.
    void compose(std::initializer_list<SetRecord> sets) {
        view().model().workingSequence.sets = sets;
        view().model().markUnmodified();
        view().refreshFromModel();
    }
    QStringList listNames() {
        QStringList names;
        for (int row = 0; row < view().list()->itemCount(); ++row) {
            names << view().list()->itemText(row, 0);
        }
        return names;
    }

    QTemporaryDir folder;
    SimulatedDevice device;
    bool started = false;
    std::string error;
    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    AppSettings settings;
    CMainFrame frame;
    std::unique_ptr<ApplicationSession> session;
};

}  // namespace kyrvana::gui
