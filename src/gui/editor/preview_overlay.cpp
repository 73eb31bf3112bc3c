#include "gui/editor/preview_overlay.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "gui/app/latin1_text.h"
#include "gui/controls/orvenda_header_ctrl.h"

namespace kyrvana::gui {
namespace {

const QColor kLimitZone(120, 120, 120, 40);
const QColor kLimitLine(110, 110, 110);
const QColor kCrossingTint(213, 94, 0, 45);
const QColor kSelectedTint(0, 114, 178, 40);
const QColor kSelectedEdge(0, 114, 178, 160);
const QColor kBoundary(200, 200, 200);
constexpr double kLineWidth = 1.0;
// Beyond this many sets in view their boundaries would only grey the plot.
constexpr std::size_t kMostBoundaries = 200;

// The pixel columns that the chosen spans cover, as whole-pixel rectangles
// of the plot's height: spans that share a column are merged, so a thousand
// sets zoomed out cost a few rectangles, not a thousand translucent ones.
template <typename Chosen>
std::vector<QRect> spanColumns(const PlotGeometry& geometry, Chosen chosen) {
    std::vector<QRect> columns;
    const QRect area = geometry.area.toAlignedRect();
    for (const ProfileSetSpan& span : geometry.plot->spans) {
        if (!chosen(span)) {
            continue;
        }
        const int left = std::max(area.left(), static_cast<int>(geometry.xOf(span.startSeconds)));
        const int right =
            std::min(area.right(), static_cast<int>(std::ceil(geometry.xOf(span.endSeconds))));
        if (right < left) {
            continue;
        }
        if (!columns.empty() && left <= columns.back().right() + 1) {
            columns.back().setRight(std::max(columns.back().right(), right));
        } else {
            columns.emplace_back(QPoint(left, area.top()), QPoint(right, area.bottom()));
        }
    }
    return columns;
}

bool quantityShown(const PreviewPlot& plot, ProfileQuantity quantity) {
    return !plot.rangeOf(quantity).empty();
}

// One band per quantity and bounds: the same full scale on six wells is
// greyed once.
std::vector<const ProfileLimitBand*> distinctBands(const SequenceProfile& profile) {
    std::vector<const ProfileLimitBand*> bands;
    for (const ProfileLimitBand& band : profile.limits()) {
        const auto same = [&band](const ProfileLimitBand* other) {
            return std::tie(other->quantity, other->low, other->high) ==
                   std::tie(band.quantity, band.low, band.high);
        };
        if (std::none_of(bands.begin(), bands.end(), same)) {
            bands.push_back(&band);
        }
    }
    return bands;
}

// Greys the zone from `bound` outwards to the plot's edge, with a dashed
// line and the band's label on the bound.
void paintLimitZone(QPainter& painter, const PlotGeometry& geometry, const ProfileLimitBand& band,
                    double bound, bool above, bool labelled) {
    const QRectF& area = geometry.area;
    const double y = std::clamp(geometry.yOf(band.quantity, bound), area.top(), area.bottom());
    const QRectF zone = above ? QRectF(area.left(), area.top(), area.width(), y - area.top())
                              : QRectF(area.left(), y, area.width(), area.bottom() - y);
    if (zone.height() > 0.0) {
        painter.fillRect(zone, kLimitZone);
    }
    if (y <= area.top() || y >= area.bottom()) {
        return;
    }
    painter.setPen(QPen(kLimitLine, 1.0, Qt::DashLine));
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    if (!labelled) {
        return;
    }
    const QString label = fromCore(band.label);
    const QFontMetricsF metrics(painter.font(), painter.device());
    // Inside the zone where it fits, else on the other side of the line.
    const bool roomAbove = y - area.top() > metrics.height() + 1.0;
    const bool roomBelow = area.bottom() - y > metrics.height() + 1.0;
    const bool textAbove = above ? roomAbove || !roomBelow : !roomBelow && roomAbove;
    const double baseline = textAbove ? y - metrics.descent() - 1.0 : y + metrics.ascent() + 1.0;
    painter.drawText(QPointF(area.right() - metrics.horizontalAdvance(label) - 4.0, baseline),
                     label);
}

void paintLimits(QPainter& painter, const PlotGeometry& geometry, const SequenceProfile& profile) {
    for (const ProfileLimitBand* band : distinctBands(profile)) {
        if (!quantityShown(*geometry.plot, band->quantity)) {
            continue;
        }
        // The band's label goes on its upper bound, or on its lower one when
        // it has no upper bound.
        if (band->high) {
            paintLimitZone(painter, geometry, *band, *band->high, true, true);
        }
        if (band->low) {
            paintLimitZone(painter, geometry, *band, *band->low, false, !band->high);
        }
    }
}

void paintSpans(QPainter& painter, const PlotGeometry& geometry, int highlightedSet) {
    const std::vector<ProfileSetSpan>& spans = geometry.plot->spans;
    if (spans.size() <= kMostBoundaries) {
        painter.setPen(QPen(kBoundary, 1.0));
        for (const ProfileSetSpan& span : spans) {
            const double x = geometry.xOf(span.startSeconds);
            if (x > geometry.area.left() && x < geometry.area.right()) {
                painter.drawLine(QPointF(x, geometry.area.top()),
                                 QPointF(x, geometry.area.bottom()));
            }
        }
    }
    for (const QRect& column :
         spanColumns(geometry, [](const ProfileSetSpan& span) { return span.crossesLimit; })) {
        painter.fillRect(column, kCrossingTint);
    }
    painter.setPen(QPen(kSelectedEdge, 1.0));
    for (const QRect& column : spanColumns(geometry, [highlightedSet](const ProfileSetSpan& span) {
             return span.setIndex == highlightedSet;
         })) {
        painter.fillRect(column, kSelectedTint);
        painter.drawLine(column.topLeft(), column.bottomLeft());
        painter.drawLine(column.topRight(), column.bottomRight());
    }
}

// Each well's lines, in well order, with a thin cosmetic pen: the raster
// engine draws those as plain line segments, a few milliseconds for the
// points of every well. Runs of one well's line are drawn apart, so a force
// set between two displacement sets leaves a gap on the displacement axis.
void paintLines(QPainter& painter, const PlotGeometry& geometry) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF line;
    for (const PreviewTrace& trace : geometry.plot->traces) {
        if (trace.covered) {
            continue;
        }
        line.resize(trace.points.size());
        for (qsizetype index = 0; index < trace.points.size(); ++index) {
            const QPointF& point = trace.points[index];
            line[index] = QPointF(geometry.xOf(point.x()), geometry.yOf(trace.quantity, point.y()));
        }
        QPen pen(wellColor(trace.well), kLineWidth);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPolyline(line);
    }
}

// A small downward triangle where a preload presses, in the well's colour.
void paintMarkers(QPainter& painter, const PlotGeometry& geometry, const SequenceProfile& profile) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    const std::vector<ProfileSetSpan>& sets = profile.spans();
    for (const ProfileMarker& marker : geometry.plot->markers) {
        if (marker.setIndex < 0 || static_cast<std::size_t>(marker.setIndex) >= sets.size()) {
            continue;
        }
        const ProfileQuantity quantity = sets[static_cast<std::size_t>(marker.setIndex)].quantity;
        const double x = geometry.xOf(marker.seconds);
        const double y = geometry.yOf(quantity, marker.value);
        if (!geometry.area.contains(QPointF(x, y))) {
            continue;
        }
        const QPolygonF triangle{QPointF(x - 4.0, y - 9.0), QPointF(x + 4.0, y - 9.0),
                                 QPointF(x, y - 2.0)};
        painter.setPen(QPen(wellColor(marker.well).darker(130), 1.0));
        painter.setBrush(wellColor(marker.well));
        painter.drawPolygon(triangle);
    }
    painter.setBrush(Qt::NoBrush);
}

}  // namespace

double PlotGeometry::xOf(double seconds) const {
    const double span = plot->to - plot->from;
    return span > 0.0 ? area.left() + (seconds - plot->from) / span * area.width() : area.left();
}

double PlotGeometry::secondsAt(double x) const {
    const double width = area.width();
    return width > 0.0 ? plot->from + (x - area.left()) / width * (plot->to - plot->from)
                       : plot->from;
}

double PlotGeometry::yOf(ProfileQuantity quantity, double value) const {
    const AxisRange& range = plot->rangeOf(quantity);
    const double span = range.high - range.low;
    return span > 0.0 ? area.bottom() - (value - range.low) / span * area.height()
                      : area.center().y();
}

void PreviewOverlay::paintBelow(QPainter& painter, const PlotGeometry& geometry) const {
    painter.setFont(COrvendaHeaderCtrl::titleFont());
    if (profile == nullptr || geometry.plot == nullptr || geometry.area.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(geometry.area);
    paintSpans(painter, geometry, highlightedSet);
    paintLimits(painter, geometry, *profile);
    painter.restore();
}

void PreviewOverlay::paintAbove(QPainter& painter, const PlotGeometry& geometry) const {
    painter.setFont(COrvendaHeaderCtrl::titleFont());
    if (geometry.area.isEmpty()) {
        return;
    }
    painter.save();
    if (profile == nullptr || geometry.plot == nullptr || geometry.plot->traces.empty()) {
        painter.setPen(QColor(110, 110, 110));
        painter.drawText(geometry.area, Qt::AlignCenter, QString::fromLatin1(kEmptyHint));
    } else {
        painter.setClipRect(geometry.area);
        paintLines(painter, geometry);
        paintMarkers(painter, geometry, *profile);
    }
    painter.restore();
}

}  // namespace kyrvana::gui
