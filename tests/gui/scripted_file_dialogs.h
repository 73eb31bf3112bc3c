#pragma once

#include <QList>

#include "gui/app/file_dialogs.h"

namespace kyrvana::gui {

// Answers the file dialogs with a chosen path (empty: cancelled) and
// remembers what each was asked.
class ScriptedFileDialogs final : public FileDialogs {
  public:
    QString openFileName(QWidget*, const FileDialogRequest& request) override {
        requests.append(request);
        return openPath;
    }
    QString saveFileName(QWidget*, const FileDialogRequest& request) override {
        requests.append(request);
        return savePath;
    }
    QString openPath;
    QString savePath;
    QList<FileDialogRequest> requests;
};

}  // namespace kyrvana::gui
