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

// What the chart paints itself inside the plot area that Qt Charts lays out
// (axes, grid, legend): below the grid, the zones beyond the limits (greyed),
// the sets that cross a limit (tinted red), the selected set (tinted blue)
// and the set boundaries; above it, the wells' lines and the preload
// markers, or a hint while there is nothing to draw.
//
// The lines are not Qt Charts series: a series cannot leave a gap (a well's
// displacement line interrupted by a force set), and it strokes its whole
// path again for hit-testing on every change, which took over a hundred
// milliseconds for the points of six wells. Painted here they cost a few.
struct PreviewOverlay {
    const SequenceProfile* profile = nullptr;
    int highlightedSet = -1;

    void paintBelow(QPainter& painter, const PlotGeometry& geometry) const;
    void paintAbove(QPainter& painter, const PlotGeometry& geometry) const;

    static constexpr const char* kEmptyHint = "Add a set to see its profile here";
};

}  // namespace kyrvana::gui
