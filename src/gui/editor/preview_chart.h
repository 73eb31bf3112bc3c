#pragma once

#include <QChartView>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gui/editor/preview_export.h"
#include "gui/editor/preview_overlay.h"
#include "gui/editor/preview_plot.h"
#include "gui/editor/preview_plotter.h"

class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace kyrvana::gui {

// The sequence preview: each enabled well's commanded profile over time, one
// line per well in its own colour, with a value axis per quantity (the first
// on the left, the others on the right) and the time axis in the largest unit
// that fits the visible range. Qt Charts lays out the axes, the grid and the
// legend (one series per enabled well); the lines, the limits, the sets that
// cross one and the selected set are painted into its plot area
// (PreviewOverlay).
//
// The visible range is the chart's own: the wheel zooms about the pointer, a
// dragged rectangle zooms to its width, a double-click shows everything. The
// profile is sampled again for every range at about one point per pixel, so
// weeks of cycles show as their envelope and single cycles appear as the
// range narrows. Building and sampling run on a worker (PreviewPlotter); the
// chart shows the last answer until the next arrives. A click tells which set
// lies under the pointer; hovering tells the time, the set, its repetition
// and the wells' values there.
class CPreviewChart : public QChartView {
    Q_OBJECT

  public:
    // The narrowest range a zoom reaches: the device times in milliseconds.
    static constexpr double kNarrowestSeconds = 0.001;
    // The wheel narrows the range by this factor per notch.
    static constexpr double kWheelZoomFactor = 0.8;

    explicit CPreviewChart(QWidget* parent = nullptr);
    ~CPreviewChart() override;

    // Draws the profile of new inputs. A zoomed range that the new profile
    // still covers is kept, so an edit does not throw the user out of the
    // part he is looking at; otherwise everything is shown.
    void setInputs(ProfileInputs inputs);
    // True while a profile or a range asked for has not been drawn yet.
    bool isBusy() const { return plotter_->busy(); }

    // The profile drawn now (null before the first answer).
    const SequenceProfile* profile() const { return profile_.get(); }
    std::shared_ptr<const SequenceProfile> sharedProfile() const { return profile_; }

    // Tints every pass of a set (-1: none).
    void setHighlightedSet(int setIndex);
    int highlightedSet() const { return overlay_.highlightedSet; }

    void showAll();
    // Shows `from` to `to` seconds, clipped to the profile and widened to the
    // narrowest range.
    void zoomTo(double from, double to);
    // The range drawn now.
    double visibleFrom() const { return plot_.from; }
    double visibleTo() const { return plot_.to; }
    bool isZoomed() const { return !whole_; }

    // What is drawn now, and where: for the hover, the clicks and the tests.
    const PreviewPlot& plot() const { return plot_; }
    PlotGeometry geometry() const;
    // The hover text at a point of the widget; empty outside the lines.
    QString readingText(QPointF position) const;

  signals:
    // A new profile or range has been drawn.
    void plotShown();
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
    void requestPlot(double from, double to, bool whole);
    void showResult(const PlotResult& result);
    void arrangeAxes();
    QValueAxis* valueAxisOf(ProfileQuantity quantity) const;
    int samplePoints() const;
    QString describeWells(double seconds, double pointerY, const PlotGeometry& geometry) const;

    PreviewPlotter* plotter_ = nullptr;
    ProfileInputs inputs_;
    // The range last asked for; the next wheel notch narrows it further even
    // before its plot has come back.
    double wantedFrom_ = 0.0;
    double wantedTo_ = 0.0;
    bool wantedWhole_ = true;

    std::shared_ptr<const SequenceProfile> profile_;
    std::vector<std::string> setNames_;
    PreviewPlot plot_;
    bool whole_ = true;
    PreviewOverlay overlay_;

    QValueAxis* timeAxis_ = nullptr;
    // The left axis and two on the right; each used quantity takes the next.
    std::array<QValueAxis*, 3> valueAxes_{};
    std::vector<ProfileQuantity> axisQuantities_;
    // Empty series that give each enabled well its legend entry.
    std::array<QLineSeries*, kWellCount> legend_{};

    QRubberBand* rubberBand_ = nullptr;
    QPoint pressPosition_;
    bool pressed_ = false;
    bool dragging_ = false;
};

}  // namespace kyrvana::gui
