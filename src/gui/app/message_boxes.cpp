#include "gui/app/message_boxes.h"

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

MessageBoxes& qtMessageBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

}  // namespace kyrvana::gui
