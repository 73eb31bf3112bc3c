#pragma once

#include <QString>

class QWidget;

namespace kyrvana::gui {

// What a file-open or file-save dialog is asked for.
struct FileDialogRequest {
    QString caption;
    QString folder;         // where the dialog starts
    QString filter;         // "Kyrvana File (*.tmt)"
    QString defaultSuffix;  // added when the typed name has none ("tmt")
};

// Every file dialog of the program goes through this interface, so that a
// test can answer it with a path (or a cancel) without a modal loop.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;

    // The chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Asks before overwriting an existing file.
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

// Real modal QFileDialog windows.
class QtFileDialogs final : public FileDialogs {
  public:
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
};

// The process-wide real implementation.
FileDialogs& qtFileDialogs();

}  // namespace kyrvana::gui
