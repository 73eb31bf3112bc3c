#pragma once

#include <QList>

#include "gui/app/message_boxes.h"

namespace kyrvana::gui {

// Answers every box at once with `answer` and remembers what was shown.
class RecordingMessageBoxes final : public MessageBoxes {
  public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    QMessageBox::StandardButton show(QWidget* /*parent*/, const QString& caption,
                                     const QString& text, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override {
        shown.append({caption, text, icon, buttons, defaultButton});
        return answer;
    }

    QList<Box> shown;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
};

}  // namespace kyrvana::gui
