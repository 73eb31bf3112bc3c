#include "gui/app/message_boxes.h"

#include <QAbstractButton>
#include <QPushButton>

#include "gui/app/app_identity.h"

namespace kyrvana::gui {

void MessageBoxes::showError(QWidget* parent, const QString& text) {
    show(parent, QString::fromLatin1(kApplicationName), text, QMessageBox::Critical,
         QMessageBox::Ok);
}

QMessageBox::StandardButton QtMessageBoxes::show(QWidget* parent, const QString& caption,
                                                 const QString& text, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton QtMessageBoxes::showNamed(QWidget* parent, const QString& caption,
                                                      const QString& text, QMessageBox::Icon icon,
                                                      const QList<NamedButton>& buttons,
                                                      QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    for (const NamedButton& named : buttons) {
        box.addButton(named.button)->setText(named.text);
    }
    if (QAbstractButton* fallback = box.button(defaultButton)) {
        box.setDefaultButton(defaultButton);
        box.setEscapeButton(fallback);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

MessageBoxes& qtMessageBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

}  // namespace kyrvana::gui
