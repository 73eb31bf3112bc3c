#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace kyrvana::gui {

// Every box a window shows to the user goes through this interface, so that a
// test can answer it (and record what was asked) without a modal loop.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;

    // Shows a modal box and returns the button the user chose. Enter chooses
    // `defaultButton`; NoButton leaves the choice to the style.
    virtual QMessageBox::StandardButton show(
        QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;

    // A standard button shown with a text of its own ("Replace", "Skip All").
    struct NamedButton {
        QMessageBox::StandardButton button;
        QString text;
    };
    // Like show(), for a question whose answers the standard texts do not
    // name. Enter and Escape both choose `defaultButton`, which is therefore
    // the answer that loses nothing; the result is the standard button
    // behind the one chosen.
    virtual QMessageBox::StandardButton showNamed(QWidget* parent, const QString& caption,
                                                  const QString& text, QMessageBox::Icon icon,
                                                  const QList<NamedButton>& buttons,
                                                  QMessageBox::StandardButton defaultButton) = 0;

    // The usual error box: the application title as caption, the error icon, OK.
    void showError(QWidget* parent, const QString& text);
};

// Real modal QMessageBox windows.
class QtMessageBoxes final : public MessageBoxes {
  public:
    QMessageBox::StandardButton show(
        QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) override;
    QMessageBox::StandardButton showNamed(QWidget* parent, const QString& caption,
                                          const QString& text, QMessageBox::Icon icon,
                                          const QList<NamedButton>& buttons,
                                          QMessageBox::StandardButton defaultButton) override;
};

// The process-wide real implementation, for windows that were given none.
MessageBoxes& qtMessageBoxes();

}  // namespace kyrvana::gui
