#include "gui/controls/orvenda_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "gui/controls/orvenda_colors.h"

namespace kyrvana::gui {

COrvendaButton::COrvendaButton(QWidget* parent) : COrvendaButton(QString(), parent) {}

COrvendaButton::COrvendaButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent),
      face_(orvenda::grey(orvenda::kButtonFace)),
      hot_(orvenda::grey(orvenda::kButtonHot)),
      pressed_(orvenda::grey(orvenda::kButtonPressed)),
      border_(orvenda::grey(orvenda::kButtonBorder)) {
    // Hover changes the face, so the widget must hear enter and leave.
    setAttribute(Qt::WA_Hover);
}

QColor COrvendaButton::currentFaceColor() const {
    // QAbstractButton clears "down" when the pointer leaves while held, which
    // is exactly "pressed with the pointer over it".
    if (isDown() || isChecked()) {
        return pressed_;
    }
    if (underMouse() && isEnabled()) {
        return hot_;
    }
    return face_;
}

void COrvendaButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, currentFaceColor());
    painter.setPen(border_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));

    // Icon and text centred together; held down, they move one pixel, as a
    // pressed button does.
    const int shift = isDown() ? 1 : 0;
    const QRect content = frame.adjusted(4 + shift, 3 + shift, -4 + shift, -3 + shift);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QSize iconArea = icon().isNull() ? QSize() : iconSize();
    const int gap = (!iconArea.isEmpty() && !text().isEmpty()) ? 4 : 0;
    // A text may have several lines ("Disable\nWells"): its widest line counts.
    const int textWidth =
        text().isEmpty() ? 0 : fontMetrics().size(Qt::TextShowMnemonic, text()).width();
    const int totalWidth = std::min(content.width(), iconArea.width() + gap + textWidth);
    int left = content.left() + (content.width() - totalWidth) / 2;
    if (!iconArea.isEmpty()) {
        const QRect iconRect(left, content.top() + (content.height() - iconArea.height()) / 2,
                             iconArea.width(), iconArea.height());
        icon().paint(&painter, iconRect, Qt::AlignCenter, mode);
        left += iconArea.width() + gap;
    }
    if (!text().isEmpty()) {
        const QRect textRect(left, content.top(), content.right() - left + 1, content.height());
        painter.setPen(isEnabled() ? QColor(Qt::black) : orvenda::grey(orvenda::kDisabledText));
        if (text().contains(QLatin1Char('\n'))) {
            painter.drawText(textRect.adjusted(0, 0, textWidth - textRect.width(), 0),
                             Qt::AlignCenter | Qt::TextShowMnemonic, text());
        } else {
            // Measured as shown: the "&" of a mnemonic takes no room.
            painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic,
                             fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width(),
                                                      Qt::TextShowMnemonic));
        }
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = frame.adjusted(3, 3, -3, -3);
        focus.backgroundColor = currentFaceColor();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace kyrvana::gui
