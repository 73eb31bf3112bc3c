#include "gui/app/display_scale.h"

#include <QPaintDevice>
#include <cmath>

namespace kyrvana::gui {

double displayScaleForDpi(int logicalDpiX) {
    return logicalDpiX > 0 ? static_cast<double>(logicalDpiX) / 96.0 : 1.0;
}

double displayScale(const QPaintDevice& device) {
    return displayScaleForDpi(device.logicalDpiX());
}

QSize scaledSize(QSize base, double scale) {
    return QSize(static_cast<int>(std::floor(base.width() * scale)),
                 static_cast<int>(std::floor(base.height() * scale)));
}

}  // namespace kyrvana::gui
