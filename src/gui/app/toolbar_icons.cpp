#include "gui/app/toolbar_icons.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "core/document/command_ids.h"

namespace kyrvana::gui {
namespace {

// Colours of one look. Every pictogram is drawn from these few, which keeps
// the set consistent.
struct Ink {
    QColor outline;
    QColor fill;
    QColor light;  // secondary faces (folder flap, disk label)
    QColor label;
    QColor hotBackground;  // invalid: none
};

Ink inkFor(IconLook look) {
    switch (look) {
        case IconLook::kHot:
            return {QColor(0x1B, 0x4F, 0x8C), QColor(0x4A, 0x8F, 0xDB), QColor(0xD6, 0xE7, 0xFA),
                    QColor(0x12, 0x3A, 0x6B), QColor(0xDD, 0xEA, 0xF8)};
        case IconLook::kDisabled:
            return {QColor(0xA6, 0xA6, 0xA6), QColor(0xC9, 0xC9, 0xC9), QColor(0xEE, 0xEE, 0xEE),
                    QColor(0xA0, 0xA0, 0xA0), QColor()};
        case IconLook::kNormal:
            break;
    }
    return {QColor(0x1F, 0x3F, 0x66), QColor(0x2F, 0x6D, 0xB5), QColor(0xE4, 0xEE, 0xF8),
            QColor(0x20, 0x20, 0x20), QColor()};
}

constexpr QRectF kPictogram(4, 3, 26, 26);

QPen outlinePen(const Ink& ink) {
    return QPen(ink.outline, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A six-well plate seen from above: the stimulator.
void drawPlate(QPainter& p, const Ink& ink, const QRectF& box) {
    p.setPen(outlinePen(ink));
    p.setBrush(ink.light);
    p.drawRoundedRect(box, 2.5, 2.5);
    p.setBrush(ink.fill);
    p.setPen(Qt::NoPen);
    const double radius = box.height() / 4.6;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QPointF centre(box.left() + box.width() * (column + 0.5) / 3.0,
                                 box.top() + box.height() * (row + 0.5) / 2.0);
            p.drawEllipse(centre, radius, radius);
        }
    }
}

// A thick arrow along x = `x` from `fromY` to `toY`.
void drawArrow(QPainter& p, const Ink& ink, double x, double fromY, double toY) {
    const double direction = toY > fromY ? 1.0 : -1.0;
    const double head = 6.0;
    QPainterPath path;
    path.moveTo(x - 2.5, fromY);
    path.lineTo(x + 2.5, fromY);
    path.lineTo(x + 2.5, toY - direction * head);
    path.lineTo(x + head, toY - direction * head);
    path.lineTo(x, toY);
    path.lineTo(x - head, toY - direction * head);
    path.lineTo(x - 2.5, toY - direction * head);
    path.closeSubpath();
    p.setPen(QPen(ink.outline, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink.fill);
    p.drawPath(path);
}

void drawIndicator(QPainter& p, const Ink& ink, IconLook look, bool simulated) {
    const QPointF centre = kPictogram.center();
    QColor lamp = simulated ? QColor(0xE8, 0xA3, 0x17) : QColor(0x2E, 0xA0, 0x48);
    if (look == IconLook::kHot) {
        lamp = lamp.lighter(115);
    } else if (look == IconLook::kDisabled) {
        lamp = QColor(0xC4, 0xC4, 0xC4);
    }
    // Bezel, lamp with a soft highlight.
    p.setPen(outlinePen(ink));
    p.setBrush(ink.light);
    p.drawEllipse(centre, 12.0, 12.0);
    QRadialGradient glow(centre - QPointF(3, 3), 11);
    glow.setColorAt(0.0, lamp.lighter(160));
    glow.setColorAt(1.0, lamp);
    p.setPen(QPen(lamp.darker(140), 1.0));
    p.setBrush(glow);
    p.drawEllipse(centre, 8.5, 8.5);
}

void drawOpen(QPainter& p, const Ink& ink) {
    QPainterPath back;
    back.moveTo(5, 8);
    back.lineTo(12, 8);
    back.lineTo(14.5, 10.5);
    back.lineTo(25, 10.5);
    back.lineTo(25, 25);
    back.lineTo(5, 25);
    back.closeSubpath();
    p.setPen(outlinePen(ink));
    p.setBrush(ink.fill);
    p.drawPath(back);
    QPainterPath flap;
    flap.moveTo(5, 25);
    flap.lineTo(9, 14.5);
    flap.lineTo(29.5, 14.5);
    flap.lineTo(25, 25);
    flap.closeSubpath();
    p.setBrush(ink.light);
    p.drawPath(flap);
}

void drawSave(QPainter& p, const Ink& ink) {
    QPainterPath disk;
    disk.moveTo(6, 5);
    disk.lineTo(24, 5);
    disk.lineTo(28, 9);
    disk.lineTo(28, 27);
    disk.lineTo(6, 27);
    disk.closeSubpath();
    p.setPen(outlinePen(ink));
    p.setBrush(ink.fill);
    p.drawPath(disk);
    p.setBrush(ink.light);
    p.drawRect(QRectF(10, 5, 12, 7));     // shutter
    p.drawRect(QRectF(9.5, 16, 15, 11));  // label
    p.setPen(QPen(ink.outline, 1.0));
    p.drawLine(QPointF(12, 19.5), QPointF(22, 19.5));
    p.drawLine(QPointF(12, 23), QPointF(22, 23));
    p.setBrush(ink.outline);
    p.drawRect(QRectF(18, 6.5, 2.5, 4));
}

void drawReadDevice(QPainter& p, const Ink& ink) {
    drawPlate(p, ink, QRectF(4.5, 17.5, 25, 11));
    drawArrow(p, ink, 17, 15, 2.5);
}

void drawProgramDevice(QPainter& p, const Ink& ink) {
    drawPlate(p, ink, QRectF(4.5, 17.5, 25, 11));
    drawArrow(p, ink, 17, 2.5, 16);
}

void drawTestData(QPainter& p, const Ink& ink) {
    QPainterPath card;
    card.moveTo(8, 4);
    card.lineTo(22, 4);
    card.lineTo(27, 9);
    card.lineTo(27, 28);
    card.lineTo(8, 28);
    card.closeSubpath();
    p.setPen(outlinePen(ink));
    p.setBrush(ink.fill);
    p.drawPath(card);
    // Contacts, then a small trace of recorded force on the label.
    p.setPen(QPen(ink.light, 1.6, Qt::SolidLine, Qt::FlatCap));
    for (int contact = 0; contact < 4; ++contact) {
        const double x = 11.5 + contact * 3.2;
        p.drawLine(QPointF(x, 6.5), QPointF(x, 10.5));
    }
    p.setPen(outlinePen(ink));
    p.setBrush(ink.light);
    p.drawRect(QRectF(10.5, 14, 14, 11.5));
    QPainterPath trace;
    trace.moveTo(12, 22);
    trace.cubicTo(14, 14.5, 16, 14.5, 17.5, 19.5);
    trace.cubicTo(19, 24, 21, 24, 23, 17);
    p.setPen(QPen(ink.fill, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
}

QString labelFor(int commandId, bool simulated) {
    switch (commandId) {
        case kCmdConnectionIndicator:
            return simulated ? QStringLiteral("Simulator") : QStringLiteral("Device");
        case kCmdFileOpen:
            return QStringLiteral("Open");
        case kCmdFileSave:
            return QStringLiteral("Save");
        case kCmdReadDevice:
            return QStringLiteral("Read");
        case kCmdProgramDevice:
            return QStringLiteral("Program");
        case kCmdAccessTestData:
            return QStringLiteral("Data");
        default:
            return QString();
    }
}

// The label in the space right of the pictogram. Every label uses the same
// size; a long one is set condensed, and shrunk only if that is not enough.
void drawLabel(QPainter& p, const Ink& ink, const QString& label) {
    const QRectF area(32, 0, kToolbarImageWidth - 32, kToolbarImageHeight);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    font.setPixelSize(11);
    if (QFontMetricsF(font).horizontalAdvance(label) > area.width()) {
        font.setStretch(QFont::SemiCondensed);
    }
    for (int pixels = 11; pixels > 7; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(label) <= area.width()) {
            break;
        }
    }
    p.setFont(font);
    p.setPen(ink.label);
    p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, label);
}

}  // namespace

QPixmap toolbarPixmap(int commandId, IconLook look, bool simulated) {
    QPixmap pixmap(kToolbarImageWidth, kToolbarImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const Ink ink = inkFor(look);
    if (ink.hotBackground.isValid()) {
        p.setPen(QPen(ink.fill.lighter(150), 1.0));
        p.setBrush(ink.hotBackground);
        p.drawRoundedRect(QRectF(0.5, 0.5, kToolbarImageWidth - 1, kToolbarImageHeight - 1), 4, 4);
    }
    switch (commandId) {
        case kCmdConnectionIndicator:
            drawIndicator(p, ink, look, simulated);
            break;
        case kCmdFileOpen:
            drawOpen(p, ink);
            break;
        case kCmdFileSave:
            drawSave(p, ink);
            break;
        case kCmdReadDevice:
            drawReadDevice(p, ink);
            break;
        case kCmdProgramDevice:
            drawProgramDevice(p, ink);
            break;
        case kCmdAccessTestData:
            drawTestData(p, ink);
            break;
        default:
            break;
    }
    drawLabel(p, ink, labelFor(commandId, simulated));
    return pixmap;
}

QIcon toolbarIcon(int commandId, bool simulated) {
    QIcon icon;
    icon.addPixmap(toolbarPixmap(commandId, IconLook::kNormal, simulated), QIcon::Normal);
    icon.addPixmap(toolbarPixmap(commandId, IconLook::kHot, simulated), QIcon::Active);
    icon.addPixmap(toolbarPixmap(commandId, IconLook::kDisabled, simulated), QIcon::Disabled);
    return icon;
}

}  // namespace kyrvana::gui
