#include "gui/app/document_commands.h"

#include <QWidget>

#include "core/document/command_ids.h"
#include "core/document/kyrvana_doc.h"
#include "gui/app/protocol_file_commands.h"
#include "gui/app/unsaved_sequence_prompt.h"
#include "gui/editor/stage_view.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"

namespace kyrvana::gui {

DocumentCommands::DocumentCommands(CKyrvanaDoc& document, CStageView& view, AppSettings& settings,
                                   FileDialogs& dialogs, MessageBoxes& boxes, QWidget* parent)
    : document_(document),
      view_(view),
      settings_(settings),
      dialogs_(dialogs),
      boxes_(boxes),
      parent_(parent) {
    handlers_.insert(kCmdFileOpen, [this] { openFile(); });
    handlers_.insert(kCmdFileSave, [this] { saveProtocolFile(fileContext()); });
    // The device work runs on the request thread; the menu only leaves the
    // request and returns, so the window keeps repainting.
    handlers_.insert(kCmdReadDevice, [this] { readDevice(); });
    handlers_.insert(kCmdVerifyDevice,
                     [this] { document_.PostRequest(DeviceRequest::VerifyDevice); });
    handlers_.insert(kCmdProgramDevice,
                     [this] { document_.PostRequest(DeviceRequest::ProgramDevice); });
    handlers_.insert(kCmdManualConnectDevice,
                     [this] { document_.PostRequest(DeviceRequest::ManualConnect); });
    handlers_.insert(kCmdDisableWells, [this] { disableWells(); });
    handlers_.insert(kCmdForceControlSettings, [this] { forceControlSettings(); });
    // Calibration Mode is never enabled. Access Test Data, Move To Position
    // and Load Cell Calibration do nothing until their dialogs are attached
    // with setHandler().
}

void DocumentCommands::run(int id) {
    const auto handler = handlers_.constFind(id);
    if (handler != handlers_.constEnd() && *handler) {
        (*handler)();
    }
}

void DocumentCommands::setHandler(int id, std::function<void()> handler) {
    handlers_.insert(id, std::move(handler));
}

ProtocolFileContext DocumentCommands::fileContext() const {
    return ProtocolFileContext{document_, view_, settings_, dialogs_, boxes_, parent_};
}

bool DocumentCommands::mayClose() {
    return saveChangedSequenceFirst(fileContext(), SequenceReplacedBy::Closing);
}

void DocumentCommands::openFile() {
    // Open does nothing without a device; it must not ask first either.
    if (document_.deviceReady() &&
        saveChangedSequenceFirst(fileContext(), SequenceReplacedBy::Opening)) {
        openProtocolFile(fileContext());
    }
}

void DocumentCommands::readDevice() {
    // Asked here, on the GUI thread, before the request thread replaces the
    // sequence in the view.
    if (saveChangedSequenceFirst(fileContext(), SequenceReplacedBy::Reading)) {
        document_.PostRequest(DeviceRequest::ReadDevice);
    }
}

void DocumentCommands::disableWells() {
    DisabledWells wells = document_.disabledWells();
    CDisableWellsDlg dialog(wells, boxes_, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    document_.setDisabledWells(wells);
    view_.rebuildList();
}

void DocumentCommands::forceControlSettings() {
    unsigned code = document_.hardware().ForceVelocityCode;
    CForceControlSettingsDlg dialog(code, boxes_, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    document_.update([code](Protocol&, HardwareSettings& hardware, DisabledWells&) {
        hardware.ForceVelocityCode = code;
    });
}

}  // namespace kyrvana::gui
