#include "gui/app/about_picture.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace kyrvana::gui {
namespace {

constexpr double kDesignWidth = 680.0;
constexpr double kDesignHeight = 529.0;

QFont pictureFont(int pixels, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void drawBackground(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kDesignHeight);
    sky.setColorAt(0.0, QColor(0x0C, 0x24, 0x40));
    sky.setColorAt(1.0, QColor(0x1C, 0x55, 0x86));
    p.fillRect(QRectF(0, 0, kDesignWidth, kDesignHeight), sky);
}

// A few phase-shifted sine strokes: the cyclic stretch the device applies.
void drawWaveform(QPainter& p) {
    for (int stroke = 0; stroke < 4; ++stroke) {
        QPainterPath wave;
        const double phase = stroke * 0.45;
        const double baseline = 455.0 + stroke * 6.0;
        for (int x = 0; x <= static_cast<int>(kDesignWidth); x += 4) {
            const double y =
                baseline - 28.0 * std::sin(x / kDesignWidth * 5.0 * std::numbers::pi + phase);
            if (x == 0) {
                wave.moveTo(x, y);
            } else {
                wave.lineTo(x, y);
            }
        }
        p.setPen(QPen(QColor(0x8F, 0xC3, 0xEE, 150 - stroke * 30), 2.2 - stroke * 0.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
}

void drawPlate(QPainter& p) {
    const QRectF plate(352, 206, 288, 190);
    // Soft shadow, then the plate body.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(plate.translated(6, 8), 18, 18);
    QLinearGradient body(plate.topLeft(), plate.bottomLeft());
    body.setColorAt(0.0, QColor(0xF4, 0xF8, 0xFC));
    body.setColorAt(1.0, QColor(0xD7, 0xE3, 0xEE));
    p.setBrush(body);
    p.setPen(QPen(QColor(0x9F, 0xB8, 0xCF), 2.0));
    p.drawRoundedRect(plate, 18, 18);

    const double radius = 36.0;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QPointF centre(plate.left() + plate.width() * (column + 0.5) / 3.0,
                                 plate.top() + plate.height() * (row + 0.5) / 2.0);
            p.setPen(QPen(QColor(0x7F, 0xA3, 0xC4), 3.0));
            p.setBrush(QColor(0xFF, 0xFF, 0xFF));
            p.drawEllipse(centre, radius, radius);
            // Culture medium over the membrane.
            QRadialGradient medium(centre - QPointF(10, 12), radius);
            medium.setColorAt(0.0, QColor(0xFA, 0xD4, 0xDC));
            medium.setColorAt(1.0, QColor(0xE3, 0x8A, 0xA0));
            p.setPen(Qt::NoPen);
            p.setBrush(medium);
            p.drawEllipse(centre, radius - 6, radius - 6);
            p.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(centre, radius - 14, radius - 14);
        }
    }
}

void drawTitles(QPainter& p) {
    p.setPen(Qt::white);
    p.setFont(pictureFont(60, true));
    p.drawText(QPointF(44, 122), QStringLiteral("Kyrvana"));
    p.setPen(QColor(0xBF, 0xD8, 0xF0));
    p.setFont(pictureFont(20, false));
    p.drawText(QPointF(48, 160), QStringLiteral("Six-well cell-culture stimulator"));
    p.setFont(pictureFont(15, false));
    p.setPen(QColor(0x9C, 0xC0, 0xE2));
    p.drawText(QPointF(48, 230), QStringLiteral("Compose and check test sequences"));
    p.drawText(QPointF(48, 256), QStringLiteral("Program the stimulator"));
    p.drawText(QPointF(48, 282), QStringLiteral("Retrieve recorded test data"));
    p.setFont(pictureFont(16, true));
    p.setPen(QColor(0xDD, 0xEA, 0xF7));
    p.drawText(QPointF(48, 512), QStringLiteral("Brantfield Instruments"));
}

}  // namespace

QPixmap aboutPicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size.width() / kDesignWidth, size.height() / kDesignHeight);
    drawBackground(p);
    drawWaveform(p);
    drawPlate(p);
    drawTitles(p);
    return pixmap;
}

}  // namespace kyrvana::gui
