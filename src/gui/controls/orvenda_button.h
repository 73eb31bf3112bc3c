#pragma once

#include <QPushButton>

namespace kyrvana::gui {

// A push button drawn flat in greys: the face, a lighter "hot" face while the
// pointer is over it, a darker face while it is held down, and a one-pixel
// border. It may carry an icon (the jog buttons use one) beside or instead of
// its text.
class COrvendaButton : public QPushButton {
    Q_OBJECT

  public:
    explicit COrvendaButton(QWidget* parent = nullptr);
    explicit COrvendaButton(const QString& text, QWidget* parent = nullptr);

    QColor faceColor() const { return face_; }
    QColor hotColor() const { return hot_; }
    QColor pressedColor() const { return pressed_; }
    QColor borderColor() const { return border_; }

    // The fill for the button's present state.
    QColor currentFaceColor() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor face_;
    QColor hot_;
    QColor pressed_;
    QColor border_;
};

}  // namespace kyrvana::gui
