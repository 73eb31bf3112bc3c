#include "gui/editor/preview_chart.h"

#include <QChart>
#include <QContextMenuEvent>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QRubberBand>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "gui/app/latin1_text.h"
#include "gui/controls/orvenda_header_ctrl.h"

namespace kyrvana::gui {
namespace {

// A press that moves less than this is a click, not a drag.
constexpr int kDragPixels = 4;
// About one sample per pixel, within bounds that keep a tiny window useful
// and a huge one quick.
constexpr int kFewestPoints = 100;
constexpr int kMostPoints = 4000;
// Tick spacing aimed at, in pixels.
constexpr double kTimeTickPixels = 90.0;
constexpr double kValueTickPixels = 40.0;

// A tick step of 1, 2 or 5 times a power of ten, near `rough`.
double niceStep(double rough) {
    if (!(rough > 0.0) || !std::isfinite(rough)) {
        return 1.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double nice = fraction < 1.5 ? 1.0 : fraction < 3.5 ? 2.0 : fraction < 7.5 ? 5.0 : 10.0;
    return nice * power;
}

// Ticks at round values and labels with as many decimals as the step needs.
void setTicks(QValueAxis& axis, double low, double high, double pixels, double tickPixels) {
    const double step = niceStep((high - low) / std::max(2.0, pixels / tickPixels));
    // The range changes under a fixed tick count: under the old interval a
    // range a million times wider would first be labelled a million times.
    axis.setTickType(QValueAxis::TicksFixed);
    axis.setRange(low, high);
    axis.setTickAnchor(0.0);
    axis.setTickInterval(step);
    axis.setTickType(QValueAxis::TicksDynamic);
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 6);
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

QString numberText(double value) {
    return QString::fromStdString(cFormat("%.6g", value));
}

}  // namespace

CPreviewChart::CPreviewChart(QWidget* parent)
    : QChartView(parent), plotter_(new PreviewPlotter(this)) {
    setObjectName(QStringLiteral("sequencePreview"));
    setAccessibleName(QStringLiteral("Sequence preview"));
    setRenderHint(QPainter::Antialiasing, true);
    setMinimumHeight(80);
    viewport()->setMouseTracking(true);
    setDragMode(QGraphicsView::NoDrag);

    QChart* plotChart = chart();
    // The chart's own backgrounds stay off so that the limit zones and the
    // tinted sets drawn in drawBackground() lie under the grid.
    plotChart->setBackgroundVisible(false);
    plotChart->setPlotAreaBackgroundVisible(false);
    plotChart->setMargins(QMargins(4, 2, 4, 2));
    plotChart->layout()->setContentsMargins(0, 0, 0, 0);
    // The list's small face, and the legend beside the plot rather than
    // above it, keep the plot's height in a small window.
    const QFont small = COrvendaHeaderCtrl::titleFont();
    plotChart->legend()->setAlignment(Qt::AlignRight);
    plotChart->legend()->setFont(small);
    setBackgroundBrush(Qt::white);

    timeAxis_ = new QValueAxis(plotChart);
    plotChart->addAxis(timeAxis_, Qt::AlignBottom);
    for (std::size_t slot = 0; slot < valueAxes_.size(); ++slot) {
        valueAxes_[slot] = new QValueAxis(plotChart);
        plotChart->addAxis(valueAxes_[slot], slot == 0 ? Qt::AlignLeft : Qt::AlignRight);
    }
    for (QValueAxis* axis : {timeAxis_, valueAxes_[0], valueAxes_[1], valueAxes_[2]}) {
        axis->setLabelsFont(small);
        axis->setTitleFont(small);
    }
    for (int well = 0; well < kWellCount; ++well) {
        auto* entry = new QLineSeries(plotChart);
        entry->setName(QStringLiteral("Well %1").arg(well + 1));
        entry->setPen(QPen(wellColor(well), 2.0));
        plotChart->addSeries(entry);
        entry->attachAxis(timeAxis_);
        entry->attachAxis(valueAxes_[0]);
        legend_[static_cast<std::size_t>(well)] = entry;
    }
    rubberBand_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    connect(plotter_, &PreviewPlotter::plotted, this, &CPreviewChart::showResult);
    arrangeAxes();
}

CPreviewChart::~CPreviewChart() = default;

void CPreviewChart::setInputs(ProfileInputs inputs) {
    inputs_ = std::move(inputs);
    requestPlot(wantedFrom_, wantedTo_, wantedWhole_);
}

void CPreviewChart::setHighlightedSet(int setIndex) {
    if (overlay_.highlightedSet == setIndex) {
        return;
    }
    overlay_.highlightedSet = setIndex;
    viewport()->update();
}

void CPreviewChart::showAll() {
    requestPlot(0.0, 0.0, true);
}

void CPreviewChart::zoomTo(double from, double to) {
    const double total = profile_ ? std::max(0.0, profile_->totalSeconds()) : 0.0;
    if (from > to) {
        std::swap(from, to);
    }
    from = std::clamp(from, 0.0, total);
    to = std::clamp(to, 0.0, total);
    if (to - from < kNarrowestSeconds) {
        const double middle = 0.5 * (from + to);
        const double half = 0.5 * std::min(kNarrowestSeconds, total);
        from = std::clamp(middle - half, 0.0, total - 2.0 * half);
        to = from + 2.0 * half;
    }
    requestPlot(from, to, from <= 0.0 && to >= total);
}

void CPreviewChart::requestPlot(double from, double to, bool whole) {
    wantedFrom_ = from;
    wantedTo_ = to;
    wantedWhole_ = whole;
    PlotRequest request;
    request.inputs = inputs_;
    request.from = from;
    request.to = to;
    request.whole = whole;
    request.points = samplePoints();
    plotter_->request(std::move(request));
}

void CPreviewChart::showResult(const PlotResult& result) {
    profile_ = result.profile;
    setNames_ = result.setNames;
    plot_ = result.plot;
    whole_ = result.whole;
    overlay_.profile = profile_.get();
    if (!plotter_->busy()) {
        // The range drawn is the one to narrow from now on (an edit may
        // have widened a zoom that no longer fitted to the whole).
        wantedFrom_ = plot_.from;
        wantedTo_ = plot_.to;
        wantedWhole_ = whole_;
    }
    arrangeAxes();
    viewport()->update();
    emit plotShown();
}

int CPreviewChart::samplePoints() const {
    return std::clamp(viewport()->width(), kFewestPoints, kMostPoints);
}

QValueAxis* CPreviewChart::valueAxisOf(ProfileQuantity quantity) const {
    const auto found = std::find(axisQuantities_.begin(), axisQuantities_.end(), quantity);
    return found == axisQuantities_.end()
               ? nullptr
               : valueAxes_[static_cast<std::size_t>(found - axisQuantities_.begin())];
}

// The time axis in the plot's unit, a value axis for each quantity in use,
// and a legend entry for each well that has a line.
void CPreviewChart::arrangeAxes() {
    const TimeAxisUnit unit = plot_.unit;
    timeAxis_->setTitleText(QStringLiteral("Time (%1)").arg(QString::fromLatin1(unit.label)));
    const double to = plot_.to > plot_.from ? plot_.to : plot_.from + 1.0;
    setTicks(*timeAxis_, plot_.from / unit.seconds, to / unit.seconds, chart()->plotArea().width(),
             kTimeTickPixels);

    axisQuantities_.assign(
        plot_.quantities.begin(),
        plot_.quantities.begin() +
            static_cast<std::ptrdiff_t>(std::min(plot_.quantities.size(), valueAxes_.size())));
    const double height = chart()->plotArea().height();
    for (std::size_t slot = 0; slot < valueAxes_.size(); ++slot) {
        QValueAxis* axis = valueAxes_[slot];
        // The left axis stays, empty, while there is nothing to draw.
        axis->setVisible(slot == 0 || slot < axisQuantities_.size());
        if (slot >= axisQuantities_.size()) {
            axis->setTitleText(QString());
            setTicks(*axis, 0.0, 1.0, height, kValueTickPixels);
            continue;
        }
        const ProfileQuantity quantity = axisQuantities_[slot];
        axis->setTitleText(valueAxisTitle(*profile_, quantity));
        const AxisRange& range = plot_.rangeOf(quantity);
        setTicks(*axis, range.low, range.high, height, kValueTickPixels);
    }

    std::array<bool, kWellCount> drawn{};
    for (const PreviewTrace& trace : plot_.traces) {
        drawn[static_cast<std::size_t>(trace.well)] = true;
    }
    for (std::size_t well = 0; well < legend_.size(); ++well) {
        legend_[well]->setVisible(drawn[well]);
    }
}

PlotGeometry CPreviewChart::geometry() const {
    // The chart fills the scene from its origin, and the view shows the
    // scene untransformed: scene coordinates are the viewport's.
    return PlotGeometry{chart()->plotArea(), &plot_};
}

void CPreviewChart::drawBackground(QPainter* painter, const QRectF& rect) {
    QChartView::drawBackground(painter, rect);
    overlay_.paintBelow(*painter, geometry());
}

void CPreviewChart::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    overlay_.paintAbove(*painter, geometry());
}

void CPreviewChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    // About a point per pixel: a new width wants a new sampling; a new
    // height only new ticks.
    if (event->size().width() != event->oldSize().width()) {
        requestPlot(wantedFrom_, wantedTo_, wantedWhole_);
    } else {
        arrangeAxes();
    }
}

void CPreviewChart::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    const double total = profile_ ? profile_->totalSeconds() : 0.0;
    if (steps == 0.0 || !(total > 0.0)) {
        event->ignore();
        return;
    }
    const double from = wantedWhole_ ? 0.0 : wantedFrom_;
    const double to = wantedWhole_ ? total : wantedTo_;
    const double anchor = std::clamp(geometry().secondsAt(event->position().x()), from, to);
    const double factor = std::pow(kWheelZoomFactor, steps);
    zoomTo(anchor - (anchor - from) * factor, anchor + (to - anchor) * factor);
    event->accept();
}

void CPreviewChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragging_ = false;
    pressPosition_ = event->position().toPoint();
    event->accept();
}

void CPreviewChart::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        if (!dragging_ && std::abs(position.x() - pressPosition_.x()) >= kDragPixels) {
            dragging_ = true;
            QToolTip::hideText();
        }
        if (dragging_) {
            // Only the time range zooms: the band spans the plot's height.
            const QRectF area = geometry().area;
            const int left = std::min(position.x(), pressPosition_.x());
            const int right = std::max(position.x(), pressPosition_.x());
            rubberBand_->setGeometry(QRect(QPoint(left, static_cast<int>(area.top())),
                                           QPoint(right, static_cast<int>(area.bottom()))));
            rubberBand_->show();
        }
        event->accept();
        return;
    }
    const QString text = readingText(event->position());
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
    QChartView::mouseMoveEvent(event);
}

void CPreviewChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    rubberBand_->hide();
    const PlotGeometry where = geometry();
    if (dragging_) {
        dragging_ = false;
        zoomTo(where.secondsAt(pressPosition_.x()), where.secondsAt(event->position().x()));
    } else if (profile_ && where.area.contains(event->position())) {
        const int set = profile_->spanAt(where.secondsAt(event->position().x()));
        if (set >= 0) {
            emit setClicked(set);
        }
    }
    event->accept();
}

void CPreviewChart::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        showAll();
        event->accept();
        return;
    }
    QChartView::mouseDoubleClickEvent(event);
}

void CPreviewChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* all = menu.addAction(QStringLiteral("Show All"));
    all->setEnabled(!whole_);
    connect(all, &QAction::triggered, this, &CPreviewChart::showAll);
    menu.addSeparator();
    const std::array<std::pair<const char*, PreviewExportFormat>, 3> exports{{
        {"Export PNG Picture...", PreviewExportFormat::Png},
        {"Export SVG Drawing...", PreviewExportFormat::Svg},
        {"Export CSV Table...", PreviewExportFormat::Csv},
    }};
    for (const auto& [text, format] : exports) {
        QAction* action = menu.addAction(QString::fromLatin1(text));
        action->setEnabled(profile_ != nullptr);
        const PreviewExportFormat chosen = format;
        connect(action, &QAction::triggered, this,
                [this, chosen] { emit exportRequested(chosen); });
    }
    menu.exec(event->globalPos());
}

QString CPreviewChart::readingText(QPointF position) const {
    const PlotGeometry where = geometry();
    if (!profile_ || !where.area.contains(position) || plot_.traces.empty()) {
        return QString();
    }
    const double seconds = where.secondsAt(position.x());
    QString text =
        QStringLiteral("Time: %1 %2")
            .arg(numberText(seconds / plot_.unit.seconds), QString::fromLatin1(plot_.unit.label));
    if (plot_.unit.seconds != 1.0) {
        text += QStringLiteral(" (%1 s)").arg(numberText(seconds));
    }
    const QString wells = describeWells(seconds, position.y(), where);
    return wells.isEmpty() ? QString() : text + QLatin1Char('\n') + wells;
}

// The set under the pointer, its repetition, and the value of the well whose
// line lies nearest the pointer (with the other wells that share it).
QString CPreviewChart::describeWells(double seconds, double pointerY,
                                     const PlotGeometry& geometry) const {
    std::array<ProfileReading, kWellCount> readings{};
    int nearest = -1;
    double nearestDistance = 0.0;
    for (int well = 0; well < kWellCount; ++well) {
        if (!profile_->wellEnabled(well)) {
            continue;
        }
        readings[static_cast<std::size_t>(well)] = profile_->valueAt(well, seconds);
        const ProfileReading& reading = readings[static_cast<std::size_t>(well)];
        if (reading.setIndex < 0) {
            continue;
        }
        const double distance = std::abs(geometry.yOf(reading.quantity, reading.value) - pointerY);
        if (nearest < 0 || distance < nearestDistance) {
            nearest = well;
            nearestDistance = distance;
        }
    }
    if (nearest < 0) {
        return QString();
    }
    const ProfileReading& shown = readings[static_cast<std::size_t>(nearest)];
    const auto set = static_cast<std::size_t>(shown.setIndex);
    const QString name = set < setNames_.size() ? fromCore(setNames_[set]) : QString();
    const std::int64_t repetitions =
        set < profile_->spans().size() ? profile_->spans()[set].repetitions : 0;
    QString text = QStringLiteral("Set %1 \"%2\", repetition %3 of %4")
                       .arg(shown.setIndex + 1)
                       .arg(name)
                       .arg(shown.repetition)
                       .arg(repetitions);
    if (profile_->repeatCount() > 1) {
        text += QStringLiteral(", pass %1 of %2")
                    .arg(shown.sequenceRepeat + 1)
                    .arg(profile_->repeatCount());
    }
    QStringList sharing;
    for (int well = 0; well < kWellCount; ++well) {
        const ProfileReading& reading = readings[static_cast<std::size_t>(well)];
        if (reading.setIndex >= 0 && reading.quantity == shown.quantity &&
            reading.value == shown.value) {
            sharing << QString::number(well + 1);
        }
    }
    text += QStringLiteral("\n%1 %2: %3 %4 (%5)")
                .arg(sharing.size() > 1 ? QStringLiteral("Wells") : QStringLiteral("Well"),
                     sharing.join(QStringLiteral(", ")), numberText(shown.value),
                     displayUnit(shown.unit), fromCore(shown.phase));
    return text;
}

}  // namespace kyrvana::gui
