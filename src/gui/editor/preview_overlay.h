#pragma once

#include <QRectF>

#include "gui/editor/preview_plot.h"

class QPainter;

namespace kyrvana::gui {

// Where the plot lies on the widget, and the time and values at its edges.
struct PlotGeometry {
    QRectF area;  // the plot area, in the painter's coordinates
    const PreviewPlot* plot = nullptr;

    double xOf(double seconds) const;
    double secondsAt(double x) const;
    double yOf(ProfileQuantity quantity, double value) const;
};

// What the chart draws by hand around Qt Charts' lines, cheaply for any
// number of sets: below the lines, the zones beyond the limits (greyed),
// the sets that cross a limit (tinted red), the selected set (tinted blue) and
// the set boundaries; above them, the preload markers, and a hint while there
// is nothing to draw.
struct PreviewOverlay {
    const SequenceProfile* profile = nullptr;
    int highlightedSet = -1;

    void paintBelow(QPainter& painter, const PlotGeometry& geometry) const;
    void paintAbove(QPainter& painter, const PlotGeometry& geometry) const;

    static constexpr const char* kEmptyHint = "Add a set to see its profile here";
};

}  // namespace kyrvana::gui
