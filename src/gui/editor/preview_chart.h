#pragma once

#include <QChartView>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gui/editor/preview_export.h"
#include "gui/editor/preview_overlay.h"
#include "gui/editor/preview_plot.h"

class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace kyrvana::gui {

// The sequence preview: each enabled well's commanded profile over time, one
// line per well in its own colour, with a value axis per quantity (the first
// on the left, the others on the right) and the time axis in the largest unit
// that fits the visible range. The limits, the sets that cross one and the
// selected set are drawn around the lines (PreviewOverlay).
//
// The visible range is the chart's own: the wheel zooms about the pointer, a
// dragged rectangle zooms to its width, a double-click shows everything. The
// profile is sampled again for every range at about one point per pixel, so
// weeks of cycles show as their envelope and the single cycles appear as the
// range narrows. A click tells which set lies under the pointer; hovering
// tells the time, the set, its repetition and the wells' values there.
class CPreviewChart : public QChartView {
    Q_OBJECT

  public:
    // The narrowest range a zoom reaches: the device times in milliseconds.
    static constexpr double kNarrowestSeconds = 0.001;
    // The wheel narrows the range by this factor per notch.
    static constexpr double kWheelZoomFactor = 0.8;

    explicit CPreviewChart(QWidget* parent = nullptr);
    ~CPreviewChart() override;

    // Shows a new profile. A zoomed range that the new profile still covers
    // is kept, so an edit does not throw the user out of the part he is
    // looking at; otherwise everything is shown. `setNames` names the sets
    // for the hover text.
    void setProfile(std::shared_ptr<const SequenceProfile> profile,
                    std::vector<std::string> setNames);
    const SequenceProfile* profile() const { return profile_.get(); }
    std::shared_ptr<const SequenceProfile> sharedProfile() const { return profile_; }

    // Tints every pass of a set (-1: none).
    void setHighlightedSet(int setIndex);
    int highlightedSet() const { return overlay_.highlightedSet; }

    void showAll();
    // Shows `from` to `to` seconds, clipped to the profile and widened to the
    // narrowest range.
    void zoomTo(double from, double to);
    double visibleFrom() const { return plot_.from; }
    double visibleTo() const { return plot_.to; }
    bool isZoomed() const { return zoomed_; }

    // What is drawn now, and where: for the hover, the clicks and the tests.
    const PreviewPlot& plot() const { return plot_; }
    PlotGeometry geometry() const;
    // The hover text at a point of the widget; empty outside the lines.
    QString readingText(QPointF position) const;

  signals:
    // The user clicked on the span of this set.
    void setClicked(int setIndex);
    // The user chose an export from the context menu.
    void exportRequested(PreviewExportFormat format);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

  private:
    // Samples the visible range again and hands the lines to the chart.
    void redraw();
    void applyPlot();
    void arrangeValueAxes();
    QValueAxis* valueAxisOf(ProfileQuantity quantity) const;
    QLineSeries* seriesAt(std::size_t index);
    int samplePoints() const;
    double totalSeconds() const;
    void showRange(double from, double to);
    QString describeWells(double seconds, double pointerY, const PlotGeometry& geometry) const;

    std::shared_ptr<const SequenceProfile> profile_;
    std::vector<std::string> setNames_;
    PreviewPlot plot_;
    PreviewOverlay overlay_;
    bool zoomed_ = false;

    QValueAxis* timeAxis_ = nullptr;
    // The left axis and two on the right; each used quantity takes the next.
    std::array<QValueAxis*, 3> valueAxes_{};
    std::vector<ProfileQuantity> axisQuantities_;
    std::vector<QLineSeries*> series_;

    QRubberBand* rubberBand_ = nullptr;
    QPoint pressPosition_;
    bool pressed_ = false;
    bool dragging_ = false;
};

}  // namespace kyrvana::gui
