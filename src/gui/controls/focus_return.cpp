#include "gui/controls/focus_return.h"

#include <QApplication>

namespace kyrvana::gui {

void FocusReturn::remember(QWidget* area) {
    QWidget* focus = QApplication::focusWidget();
    focused_ = area != nullptr && focus != nullptr && (area == focus || area->isAncestorOf(focus))
                   ? focus
                   : nullptr;
}

void FocusReturn::restore() {
    QWidget* widget = focused_.data();
    focused_ = nullptr;
    if (widget == nullptr || !widget->isEnabled() || !widget->isVisible()) {
        return;
    }
    // A user who went to another window meanwhile keeps the focus there.
    QWidget* now = QApplication::focusWidget();
    if (now == nullptr || now->window() == widget->window()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace kyrvana::gui
