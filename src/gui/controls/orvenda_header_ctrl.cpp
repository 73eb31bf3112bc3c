#include "gui/controls/orvenda_header_ctrl.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>

#include "gui/controls/orvenda_colors.h"

namespace kyrvana::gui {
namespace {

constexpr int kTitlePadding = 4;

}  // namespace

COrvendaHeaderCtrl::COrvendaHeaderCtrl(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setFont(titleFont());
    setHighlightSections(false);
    setSectionsClickable(false);
}

QFont COrvendaHeaderCtrl::titleFont() {
    static const QString kPreferred = QStringLiteral("Segoe UI");
    QFont font = QFontDatabase::families().contains(kPreferred)
                     ? QFont(kPreferred)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    return font;
}

QSize COrvendaHeaderCtrl::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    if (orientation() == Qt::Horizontal) {
        hint.setHeight(fontMetrics().height() + 8);
    }
    return hint;
}

int COrvendaHeaderCtrl::sectionWidthFor(const QString& title) const {
    // The title's padding on both sides, and the pixel of the separator.
    return fontMetrics().horizontalAdvance(title) + 2 * kTitlePadding + 1;
}

void COrvendaHeaderCtrl::paintEvent(QPaintEvent* event) {
    // The whole strip first, so that the area after the last column is the
    // same flat grey instead of the style's empty-header look.
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), orvenda::grey(orvenda::kHeaderFill));
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical)) {
            continue;
        }
        const int position = sectionViewportPosition(logical);
        const int size = sectionSize(logical);
        const QRect section = orientation() == Qt::Horizontal
                                  ? QRect(position, 0, size, viewport()->height())
                                  : QRect(0, position, viewport()->width(), size);
        if (!section.intersects(event->rect())) {
            continue;
        }
        painter.save();
        paintSection(&painter, section, logical);
        painter.restore();
    }
}

void COrvendaHeaderCtrl::paintSection(QPainter* painter, const QRect& rect,
                                      int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->fillRect(rect, orvenda::grey(orvenda::kHeaderFill));
    painter->setPen(orvenda::grey(orvenda::kHeaderFrame));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->setPen(orvenda::grey(orvenda::kHeaderSeparator));
    if (orientation() == Qt::Horizontal) {
        painter->drawLine(rect.right(), rect.top() + 3, rect.right(), rect.bottom() - 3);
    } else {
        painter->drawLine(rect.left() + 3, rect.bottom(), rect.right() - 3, rect.bottom());
    }

    const QString title =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    // A title sits on the side of its column's values: right over numbers.
    const QVariant alignment =
        model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole)
                : QVariant();
    const Qt::Alignment horizontal =
        alignment.isValid() ? Qt::Alignment(alignment.toInt()) & Qt::AlignHorizontal_Mask
                            : Qt::Alignment(Qt::AlignLeft);
    // Kept off the separator at the right edge.
    const QRect textRect = rect.adjusted(kTitlePadding, 0, -kTitlePadding - 1, 0);
    painter->setFont(font());
    painter->setPen(Qt::black);
    painter->setBackgroundMode(Qt::TransparentMode);
    painter->drawText(textRect, Qt::AlignVCenter | horizontal,
                      fontMetrics().elidedText(title, Qt::ElideRight, textRect.width()));
}

}  // namespace kyrvana::gui
