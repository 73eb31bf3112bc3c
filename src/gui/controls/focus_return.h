#pragma once

#include <QPointer>
#include <QWidget>

namespace kyrvana::gui {

// Brings the keyboard focus back where it was before a window disabled its
// controls for some work. Disabling the focused button pushes the focus on
// to the next control that takes it, and enabling the button again does not
// bring it back; the user would find the focus somewhere else after every
// operation.
class FocusReturn {
  public:
    // Remembers the focused widget when it lies inside `area`.
    void remember(QWidget* area);
    // Gives that widget the focus again if it can take it and the user has
    // not gone to another window meanwhile, then forgets it.
    void restore();

  private:
    QPointer<QWidget> focused_;
};

}  // namespace kyrvana::gui
