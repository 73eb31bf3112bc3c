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

class AppSettings;

// Real modal QFileDialog windows. They open large enough to read file names
// and dates in full, and with `settings`, at the size and with the columns
// the user last left them.
class QtFileDialogs final : public FileDialogs {
  public:
    // The size of a dialog that has no remembered one, in 1/96 inch.
    static constexpr int kFirstWidth = 880;
    static constexpr int kFirstHeight = 540;

    explicit QtFileDialogs(AppSettings* settings = nullptr) : settings_(settings) {}

    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;

  private:
    QString run(QWidget* parent, const FileDialogRequest& request, bool save);

    AppSettings* settings_;
};

// The process-wide real implementation, remembering nothing.
FileDialogs& qtFileDialogs();

}  // namespace kyrvana::gui
