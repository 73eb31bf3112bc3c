#pragma once

#include <QSize>

class QPaintDevice;

namespace kyrvana::gui {

// The windows are laid out for 96 pixels per logical inch and grown by the
// display's horizontal logical DPI divided by 96.
double displayScale(const QPaintDevice& device);
double displayScaleForDpi(int logicalDpiX);

// `base` times `scale`, each side rounded down.
QSize scaledSize(QSize base, double scale);

}  // namespace kyrvana::gui
