#pragma once

#include <QList>
#include <QStringList>
#include <QThread>

#include "gui/app/message_boxes.h"

namespace kyrvana::gui {

// Answers every box at once and remembers what was shown: with the next of
// `answers` while there are any, then with `answer`.
class RecordingMessageBoxes final : public MessageBoxes {
  public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QStringList buttonTexts;  // of a box with named buttons, in order
        QThread* thread;          // the one the box was shown on
    };

    QMessageBox::StandardButton show(QWidget* /*parent*/, const QString& caption,
                                     const QString& text, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override {
        shown.append({caption, text, icon, buttons, defaultButton, {}, QThread::currentThread()});
        return nextAnswer();
    }

    QMessageBox::StandardButton showNamed(QWidget* /*parent*/, const QString& caption,
                                          const QString& text, QMessageBox::Icon icon,
                                          const QList<NamedButton>& named,
                                          QMessageBox::StandardButton defaultButton) override {
        Box box{caption, text, icon, {}, defaultButton, {}, QThread::currentThread()};
        for (const NamedButton& button : named) {
            box.buttons |= button.button;
            box.buttonTexts.append(button.text);
        }
        shown.append(box);
        return nextAnswer();
    }

    QList<Box> shown;
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton answer = QMessageBox::Ok;

  private:
    QMessageBox::StandardButton nextAnswer() {
        return answers.isEmpty() ? answer : answers.takeFirst();
    }
};

}  // namespace kyrvana::gui
