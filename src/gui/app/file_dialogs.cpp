#include "gui/app/file_dialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>
#include <algorithm>

#include "gui/app/app_settings.h"
#include "gui/app/display_scale.h"

namespace kyrvana::gui {
namespace {

// The detailed list of a file dialog that opens for the first time: the
// name column takes half the dialog's width and the date column shows a
// whole date and time (Qt's own widths cut both). The list is found by the
// name Qt's dialog gives it; where it is not found nothing changes.
void fitDetailColumns(QFileDialog& dialog) {
    auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (files == nullptr || files->header()->count() < 4) {
        return;
    }
    QHeaderView* header = files->header();
    const QFontMetrics metrics = files->fontMetrics();
    constexpr int kDateColumn = 3;
    const QString longDate =
        QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)), QLocale::ShortFormat);
    const QString title = files->model()->headerData(kDateColumn, Qt::Horizontal).toString();
    const int padding = 4 * metrics.averageCharWidth();
    header->resizeSection(
        kDateColumn,
        std::max(metrics.horizontalAdvance(longDate), metrics.horizontalAdvance(title)) + padding);
    header->resizeSection(0, dialog.width() / 2);
}

}  // namespace

QString QtFileDialogs::run(QWidget* parent, const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, request.caption, request.folder, request.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // The protocol files are the only thing shown; there is no read-only
    // choice to offer.
    dialog.setOption(QFileDialog::ReadOnly, false);

    // Qt's own first size cuts the names and dates of a detailed list.
    const QByteArray geometry = settings_ ? settings_->fileDialogGeometry() : QByteArray();
    if (geometry.isEmpty() || !dialog.restoreGeometry(geometry)) {
        dialog.resize(scaledSize(QSize(kFirstWidth, kFirstHeight), displayScale(dialog)));
    }
    if (settings_ && dialog.restoreState(settings_->fileDialogState())) {
        // The state brings back the folder of last time too; the request's
        // folder (the remembered template folder) comes first.
        dialog.setDirectory(request.folder);
    } else {
        fitDetailColumns(dialog);
    }

    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (settings_) {
        settings_->setFileDialogGeometry(dialog.saveGeometry());
        settings_->setFileDialogState(dialog.saveState());
    }
    return accepted ? dialog.selectedFiles().constFirst() : QString();
}

QString QtFileDialogs::openFileName(QWidget* parent, const FileDialogRequest& request) {
    return run(parent, request, false);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    return run(parent, request, true);
}

FileDialogs& qtFileDialogs() {
    static QtFileDialogs dialogs;
    return dialogs;
}

}  // namespace kyrvana::gui
