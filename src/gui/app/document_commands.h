#pragma once

#include <QHash>
#include <functional>

#include "gui/app/protocol_file_commands.h"

class QWidget;

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::gui {

class AppSettings;
class CStageView;
class FileDialogs;
class MessageBoxes;

// The document's menu and toolbar commands, by command id: Open and Save,
// the device requests (Read Device, Verify Device, Program Device, Manual
// Connect Device) that the request thread carries out, and the two settings
// dialogs of Hardware > Advanced. The menu's enabling rule has already
// decided that a command may run; Open and Save test the device-ready flag
// again.
class DocumentCommands {
  public:
    DocumentCommands(CKyrvanaDoc& document, CStageView& view, AppSettings& settings,
                     FileDialogs& dialogs, MessageBoxes& boxes, QWidget* parent);

    // Carries out the command `id`; unknown ids do nothing.
    void run(int id);

    // Before the window closes: asks to save an edited sequence first. True
    // when the window may close.
    bool mayClose();

    // Gives a command its handler, replacing the built-in one. Hardware >
    // Access Test Data, Move To Position and Load Cell Calibration have none
    // yet: their dialogs are attached here by whoever creates them.
    void setHandler(int id, std::function<void()> handler);

  private:
    void disableWells();
    void forceControlSettings();
    void openFile();
    void readDevice();
    ProtocolFileContext fileContext() const;

    CKyrvanaDoc& document_;
    CStageView& view_;
    AppSettings& settings_;
    FileDialogs& dialogs_;
    MessageBoxes& boxes_;
    QWidget* parent_;
    QHash<int, std::function<void()>> handlers_;
};

}  // namespace kyrvana::gui
