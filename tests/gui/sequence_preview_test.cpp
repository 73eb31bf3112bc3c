// The sequence preview under the list: one line per enabled well, limits and
// the sets that cross them, selection both ways, zoom from the whole test
// down to single cycles, the hover text, and the three exports.
#include "gui/editor/sequence_preview.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <vector>

#include "connected_document.h"
#include "gui/app/app_settings.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/preview_chart.h"
#include "gui/editor/stage_view.h"
#include "scripted_file_dialogs.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

// A cycle of 1 s load, 0.5 s hold, 1 s recovery, 2 s rest. Without the
// recovery every repetition moves the actuator further out.
SetRecord displacementSet(const char* name, double micrometres, std::int32_t reps,
                          std::int32_t recoveryMs = 1000) {
    SetRecord set;
    set.name = name;
    set.magnitude.fill(micrometres);
    set.numReps = reps;
    set.stretchDurationMs = 1000;
    set.holdTimeMs = 500;
    set.recoveryDurationMs = recoveryMs;
    set.restTimeMs = 2000;
    return set;
}

SetRecord forceSet(const char* name, double millinewtons) {
    SetRecord set = displacementSet(name, millinewtons, 4);
    set.mode[0] = ControlMode::Force;
    set.units[0] = UnitsCode::Millinewtons;
    return set;
}

// The view with its preview, on a connected simulated stimulator, shown at a
// fixed size so that the chart has a plot area.
struct PreviewOnDevice {
    PreviewOnDevice()
        : settings(std::make_unique<QSettings>(folder.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat)),
          view(*device.document, *device.host, device.boxes) {
        device.host->attach(device.document.get(), nullptr, &view);
        preview = new SequencePreview(*device.document, view, settings, dialogs, device.boxes);
        view.setPreview(preview, 3);
        view.resize(1000, 800);
        view.show();
        QCoreApplication::processEvents();
    }
    // Shows a sequence and waits until the chart has drawn it.
    bool setSequence(const std::vector<SetRecord>& sets, int repeats = 1) {
        view.model().workingSequence.sets = sets;
        view.model().showRepeatCount(repeats);
        view.refreshFromModel();
        return settled();
    }
    // The worker has answered the last change or zoom.
    bool settled() {
        return QTest::qWaitFor([this] { return preview->isShowingModel(); }, 10000);
    }
    CPreviewChart& chart() { return *preview->chart(); }
    QPoint pointAt(double seconds) {
        const PlotGeometry where = chart().geometry();
        return QPoint(static_cast<int>(where.xOf(seconds)),
                      static_cast<int>(where.area.center().y()));
    }

    ConnectedDocument device;
    QTemporaryDir folder;
    AppSettings settings;
    ScriptedFileDialogs dialogs;
    CStageView view;
    SequencePreview* preview = nullptr;  // owned by the view
};

// Consecutive points at the same time with different values: the envelope
// of cycles narrower than a point.
int envelopeStrokes(const PreviewPlot& plot) {
    int strokes = 0;
    for (const PreviewTrace& trace : plot.traces) {
        for (qsizetype index = 1; index < trace.points.size(); ++index) {
            if (trace.points[index].x() == trace.points[index - 1].x() &&
                trace.points[index].y() != trace.points[index - 1].y()) {
                ++strokes;
            }
        }
    }
    return strokes;
}

}  // namespace

class SequencePreviewTest : public QObject {
    Q_OBJECT

  private slots:
    void timeAxisTakesTheLargestUnitThatFits();
    void oneLinePerEnabledWellAndQuantity();
    void followsEveryEdit_data();
    void followsEveryEdit();
    void setBeyondTheTravelIsShadedAndItsRowMarked();
    void selectionAndHoverRunBothWays();
    void zoomGoesFromTheEnvelopeDownToSingleCycles();
    void exportsWriteFilesThatOpenOrSayWhyNot();
};

void SequencePreviewTest::timeAxisTakesTheLargestUnitThatFits() {
    const struct {
        double span;
        const char* unit;
    } cases[] = {{59.0, "s"},   {60.0, "min"},  {3599.0, "min"},
                 {3600.0, "h"}, {86399.0, "h"}, {86400.0, "days"}};
    for (const auto& c : cases) {
        QCOMPARE(timeAxisUnitFor(c.span).label, c.unit);
    }
}

// A large file: displacement and force sets by turns, three passes, far more
// sets than the chart has pixels, two wells disabled. How the profile samples
// them is the core's; the chart must still draw each enabled well's line per
// quantity as one run, in its own colour, on that quantity's axis.
void SequencePreviewTest::oneLinePerEnabledWellAndQuantity() {
    PreviewOnDevice fixture;
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 1, 0};
    fixture.device.document->setDisabledWells(wells);
    const auto shownAxes = [&fixture] {
        QStringList titles;
        for (QAbstractAxis* axis : fixture.chart().chart()->axes(Qt::Vertical)) {
            if (axis->isVisible()) {
                titles << axis->titleText();
            }
        }
        return titles;
    };
    QVERIFY(fixture.setSequence({displacementSet("A", 500, 3)}));
    QCOMPARE(shownAxes(), QStringList{QStringLiteral("Displacement (µm)")});

    std::vector<SetRecord> sets;
    for (int set = 0; set < 400; ++set) {
        sets.push_back(set % 2 == 0 ? displacementSet("D", 500, 2) : forceSet("F", 300));
    }
    QVERIFY(fixture.setSequence(sets, 3));
    QVERIFY(fixture.chart().plot().spans.size() > 1000);
    QCOMPARE(shownAxes(),
             (QStringList{QStringLiteral("Displacement (µm)"), QStringLiteral("Force (mN)")}));
    QStringList legend;
    QSet<QRgb> colours;
    for (QAbstractSeries* series : fixture.chart().chart()->series()) {
        if (series->isVisible()) {
            legend << series->name();
            colours.insert(static_cast<QLineSeries*>(series)->pen().color().rgb());
        }
    }
    QCOMPARE(legend, (QStringList{"Well 1", "Well 3", "Well 4", "Well 6"}));
    QCOMPARE(colours.size(), 4);
    QMap<QPair<int, int>, int> runs;
    for (const PreviewTrace& trace : fixture.chart().plot().traces) {
        ++runs[{trace.well, static_cast<int>(trace.quantity)}];
        const AxisRange& range = fixture.chart().plot().rangeOf(trace.quantity);
        for (const QPointF& point : trace.points) {
            QVERIFY(point.y() >= range.low && point.y() <= range.high);
        }
    }
    QCOMPARE(runs.size(), 4 * 2);
    QCOMPARE(QSet<int>(runs.begin(), runs.end()), QSet<int>{1});
}

using Edit = std::function<void(PreviewOnDevice&)>;
Q_DECLARE_METATYPE(Edit)

void SequencePreviewTest::followsEveryEdit_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<double>("totalSeconds");
    // Before each edit: sets of 2 and 3 cycles of 4.5 s, 400 and 600 um, the
    // second one selected.
    QTest::newRow("insert below") << Edit([](PreviewOnDevice& f) { f.view.insertBelow(); })
                                  << 8 * 4.5;
    QTest::newRow("delete") << Edit([](PreviewOnDevice& f) { f.view.deleteSet(); }) << 2 * 4.5;
    QTest::newRow("repeat field") << Edit([](PreviewOnDevice& f) {
        f.view.repeatEdit()->selectAll();
        QTest::keyClicks(f.view.repeatEdit(), QStringLiteral("4"));
    }) << 4 * 5 * 4.5;
}

void SequencePreviewTest::followsEveryEdit() {
    QFETCH(Edit, edit);
    QFETCH(double, totalSeconds);
    PreviewOnDevice fixture;
    QVERIFY2(fixture.device.connect(), fixture.device.error.c_str());
    QVERIFY(fixture.setSequence({displacementSet("A", 400, 2), displacementSet("B", 600, 3)}));
    fixture.view.selectRow(1);

    edit(fixture);
    QVERIFY(fixture.settled());
    const SequenceProfile* profile = fixture.chart().profile();
    QVERIFY(profile != nullptr);
    QCOMPARE(profile->totalSeconds(), totalSeconds);
    QCOMPARE(fixture.chart().visibleTo(), totalSeconds);

    // Showing the same state again builds nothing new.
    fixture.view.refreshFromModel();
    QCOMPARE(fixture.chart().profile(), profile);
}

void SequencePreviewTest::setBeyondTheTravelIsShadedAndItsRowMarked() {
    PreviewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    // The one-way set climbs 300 um a cycle: ten cycles pass the travel.
    QVERIFY(fixture.setSequence({displacementSet("Warm", 300, 2), displacementSet("Cool", 300, 2),
                                 displacementSet("Creep", 300, 10, 0)}));
    const CReportCtrl& list = *fixture.view.list();
    const auto marked = [&list](int row) {
        return list.item(row, 0)->background().style() != Qt::NoBrush;
    };
    QCOMPARE((QList<bool>{marked(0), marked(1), marked(2)}), (QList<bool>{false, false, true}));
    QVERIFY(!list.item(2, 3)->toolTip().isEmpty());
    QVERIFY(fixture.preview->limitLine()->isVisible());
    QVERIFY(fixture.preview->limitLine()->text().contains(QStringLiteral("Set 3 \"Creep\"")));

    // The crossing set is tinted on the chart, the others are not.
    const QImage picture = fixture.chart().grab().toImage();
    const auto tinted = [&](int set) {
        const ProfileSetSpan& span = fixture.chart().profile()->spans()[static_cast<size_t>(set)];
        // Between the lines (at most 1500 um there) and the travel limit.
        const QPoint middle = fixture.pointAt(0.5 * (span.startSeconds + span.endSeconds));
        const double y = fixture.chart().geometry().yOf(ProfileQuantity::Displacement, 1800.0);
        const QColor colour = picture.pixelColor(middle.x(), static_cast<int>(y));
        return colour.red() > colour.blue() + 15;
    };
    QVERIFY(tinted(2));
    QVERIFY(!tinted(0));

    // Fewer cycles stay inside: the mark goes.
    fixture.view.model().workingSequence.sets[2].numReps = 3;
    fixture.view.refreshFromModel();
    QVERIFY(fixture.settled());
    QVERIFY(!marked(2));
    QVERIFY(!fixture.preview->limitLine()->isVisible());
}

void SequencePreviewTest::selectionAndHoverRunBothWays() {
    PreviewOnDevice fixture;
    QVERIFY(
        fixture.setSequence({displacementSet("Warm", 400, 2), displacementSet("Stretch", 1500, 3),
                             displacementSet("C", 500, 2)}));
    fixture.view.selectRow(1);
    QCOMPARE(fixture.chart().highlightedSet(), 1);
    fixture.view.list()->clearSelection();
    QCOMPARE(fixture.chart().highlightedSet(), -1);

    // A click on the third set selects its row; a drag does not.
    const ProfileSetSpan third = fixture.chart().profile()->spans()[2];
    const QPoint click = fixture.pointAt(0.5 * (third.startSeconds + third.endSeconds));
    QTest::mouseClick(fixture.chart().viewport(), Qt::LeftButton, {}, click);
    QCOMPARE(fixture.view.selectedRow(), 2);
    QCOMPARE(fixture.chart().highlightedSet(), 2);

    // A click beside the plot changes nothing.
    QTest::mouseClick(fixture.chart().viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(fixture.view.selectedRow(), 2);

    // Hovering in the hold of the second cycle of "Stretch": 9 s of "Warm",
    // 4.5 s of the first cycle, 1 s of load, then a quarter of a second.
    const double seconds = 9.0 + 4.5 + 1.0 + 0.25;
    const PlotGeometry where = fixture.chart().geometry();
    const QPointF point(where.xOf(seconds), where.yOf(ProfileQuantity::Displacement, 1500.0));
    const QString text = fixture.chart().readingText(point);
    QVERIFY2(text.contains(QStringLiteral("Set 2 \"Stretch\", repetition 2 of 3")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Wells 1, 2, 3, 4, 5, 6: 1500 µm")), qPrintable(text));
    QVERIFY2(text.startsWith(QStringLiteral("Time: 14.7")), qPrintable(text));
    QVERIFY(fixture.chart().readingText(QPointF(1, 1)).isEmpty());
}

void SequencePreviewTest::zoomGoesFromTheEnvelopeDownToSingleCycles() {
    PreviewOnDevice fixture;
    // Four weeks of 100 ms cycles: 50 ms out, 50 ms back.
    SetRecord fast = displacementSet("Four weeks", 250, 24'192'000);
    fast.stretchDurationMs = 50;
    fast.recoveryDurationMs = 50;
    fast.holdTimeMs = 0;
    fast.restTimeMs = 0;
    QVERIFY(fixture.setSequence({fast}));
    CPreviewChart& chart = fixture.chart();
    QCOMPARE(chart.visibleTo(), 2'419'200.0);
    // The whole test is an envelope of bounded size, from 0 to 250 um.
    QVERIFY(envelopeStrokes(chart.plot()) > 100);
    QVERIFY(chart.plot().traces.front().points.size() < 4 * 4000);

    // The wheel narrows the range about the pointer.
    const QPoint middle = fixture.pointAt(1'209'600.0);
    const double anchor = chart.geometry().secondsAt(middle.x());
    QWheelEvent notch(middle, chart.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(chart.viewport(), &notch);
    QVERIFY(fixture.settled());
    QVERIFY(chart.isZoomed());
    QCOMPARE(chart.visibleTo() - chart.visibleFrom(), 0.8 * 2'419'200.0);
    // The time under the pointer keeps its place in the range.
    QCOMPARE((anchor - chart.visibleFrom()) / (chart.visibleTo() - chart.visibleFrom()),
             anchor / 2'419'200.0);

    // A dragged rectangle zooms to its width.
    const QRectF area = chart.geometry().area;
    const QPoint from(static_cast<int>(area.left() + 0.25 * area.width()), middle.y());
    const QPoint to(static_cast<int>(area.left() + 0.5 * area.width()), middle.y());
    const double fromSeconds = chart.geometry().secondsAt(from.x());
    const double toSeconds = chart.geometry().secondsAt(to.x());
    QTest::mousePress(chart.viewport(), Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, chart.viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(chart.viewport(), &drag);
    QTest::mouseRelease(chart.viewport(), Qt::LeftButton, {}, to);
    QVERIFY(fixture.settled());
    QCOMPARE(chart.visibleFrom(), fromSeconds);
    QCOMPARE(chart.visibleTo(), toSeconds);

    // Half a second: single cycles, no envelope left (their shape is the
    // core's sampling).
    chart.zoomTo(1000.0, 1000.5);
    QVERIFY(fixture.settled());
    QCOMPARE(QString::fromLatin1(chart.plot().unit.label), QStringLiteral("s"));
    QCOMPARE(envelopeStrokes(chart.plot()), 0);

    QTest::mouseDClick(chart.viewport(), Qt::LeftButton, {}, middle);
    QVERIFY(fixture.settled());
    QVERIFY(!chart.isZoomed());
    QCOMPARE(chart.visibleTo(), 2'419'200.0);
}

// The format follows the name's ending, and each file opens; a file that
// cannot be written is named in an error box and left absent; a cancelled
// dialog writes and says nothing.
void SequencePreviewTest::exportsWriteFilesThatOpenOrSayWhyNot() {
    PreviewOnDevice fixture;
    DisabledWells wells;
    wells.flags = {0, 0, 1, 0, 0, 0};
    fixture.device.document->setDisabledWells(wells);
    QVERIFY(fixture.setSequence({displacementSet("A", 400, 2), displacementSet("B", 100, 3, 0)}));
    const auto exportTo = [&fixture](const char* name) {
        fixture.dialogs.savePath = fixture.folder.filePath(QString::fromLatin1(name));
        fixture.preview->exportPreview();
        return fixture.dialogs.savePath;
    };
    QCOMPARE(QImage(exportTo("preview.png")).size(), fixture.chart().size());
    QVERIFY(QSvgRenderer(exportTo("preview.svg")).isValid());
    QFile csv(exportTo("preview.CSV"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    // The columns are the core's; here the disabled well stays out.
    QCOMPARE(csv.readLine(), QByteArray("seconds,set,unit,well1,well2,well4,well5,well6\n"));
    QVERIFY(fixture.dialogs.requests.constFirst().filter.contains(QStringLiteral("*.svg")));
    QVERIFY(fixture.device.boxes.shown.isEmpty());

    // From the chart's menu, into a folder that is not there.
    const QString path = fixture.folder.filePath(QStringLiteral("missing/preview.csv"));
    fixture.dialogs.savePath = path;
    emit fixture.chart().exportRequested(PreviewExportFormat::Csv);
    QCOMPARE(fixture.dialogs.requests.last().filter, QStringLiteral("CSV Table (*.csv)"));
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
    QVERIFY(fixture.device.boxes.shown.constFirst().text.contains(path));
    QVERIFY(!QFile::exists(path));

    fixture.dialogs.savePath.clear();
    fixture.preview->exportPreview();
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
}

QTEST_MAIN(SequencePreviewTest)
#include "sequence_preview_test.moc"
