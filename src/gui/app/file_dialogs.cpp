#include "gui/app/file_dialogs.h"

#include <QFileDialog>

namespace kyrvana::gui {
namespace {

QString runDialog(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.caption, request.folder, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // The protocol files are the only thing shown; there is no read-only
    // choice to offer.
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtFileDialogs::openFileName(QWidget* parent, const FileDialogRequest& request) {
    return runDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    return runDialog(parent, request, QFileDialog::AcceptSave);
}

FileDialogs& qtFileDialogs() {
    static QtFileDialogs dialogs;
    return dialogs;
}

}  // namespace kyrvana::gui
