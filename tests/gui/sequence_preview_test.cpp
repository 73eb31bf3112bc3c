// The sequence preview under the list, drawn by a worker thread: the sets
// that cross the travel limit, edits and selection followed both ways, zoom
// from the whole test down to single cycles, the enabled wells only, and the
// three exports.
#include "gui/editor/sequence_preview.h"

#include <QAbstractSeries>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>
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
    void marksTheSetBeyondTheTravelAndFollowsEdits();
    void zoomGoesFromTheEnvelopeDownToSingleCycles();
    void exportsWriteFilesThatOpenOrSayWhyNot();
};

// A set that climbs past the actuator's travel is marked in its row and named
// under the chart until an edit brings it back; the preview follows the
// view's own edits (the set selected on the chart deleted, the repeat field
// typed in) and its selection.
void SequencePreviewTest::marksTheSetBeyondTheTravelAndFollowsEdits() {
    PreviewOnDevice fixture;
    QVERIFY2(fixture.device.connect(), fixture.device.error.c_str());
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

    // Selection runs both ways: a row lights its set's span, a click on a
    // span selects its row, a click beside the plot changes nothing.
    fixture.view.selectRow(1);
    QCOMPARE(fixture.chart().highlightedSet(), 1);
    const ProfileSetSpan creep = fixture.chart().profile()->spans()[2];
    QWidget* plot = fixture.chart().viewport();
    QTest::mouseClick(plot, Qt::LeftButton, {},
                      fixture.pointAt(0.5 * (creep.startSeconds + creep.endSeconds)));
    QCOMPARE(fixture.chart().highlightedSet(), 2);
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(fixture.view.selectedRow(), 2);

    fixture.view.deleteSet();
    QVERIFY(fixture.settled());
    QCOMPARE(fixture.chart().profile()->totalSeconds(), 4 * 4.5);
    QVERIFY(!fixture.preview->limitLine()->isVisible());

    fixture.view.repeatEdit()->selectAll();
    QTest::keyClicks(fixture.view.repeatEdit(), QStringLiteral("4"));
    QVERIFY(fixture.settled());
    const SequenceProfile* profile = fixture.chart().profile();
    QCOMPARE(profile->totalSeconds(), 4 * 4 * 4.5);
    QCOMPARE(fixture.chart().visibleTo(), 4 * 4 * 4.5);
    // Showing the same state again builds nothing new.
    fixture.view.refreshFromModel();
    QCOMPARE(fixture.chart().profile(), profile);
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

    // A notch of the wheel narrows the range.
    const QPoint middle = fixture.pointAt(1'209'600.0);
    QWheelEvent notch(middle, chart.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(chart.viewport(), &notch);
    QVERIFY(fixture.settled());
    QVERIFY(chart.isZoomed());
    QCOMPARE(chart.visibleTo() - chart.visibleFrom(), 0.8 * 2'419'200.0);

    // Half a second: single cycles, no envelope left (their shape is the
    // core's sampling).
    chart.zoomTo(1000.0, 1000.5);
    QVERIFY(fixture.settled());
    QCOMPARE(envelopeStrokes(chart.plot()), 0);

    QTest::mouseDClick(chart.viewport(), Qt::LeftButton, {}, middle);
    QVERIFY(fixture.settled());
    QVERIFY(!chart.isZoomed());
    QCOMPARE(chart.visibleTo(), 2'419'200.0);
}

// With a well disabled: the format follows the name's ending, and each file
// opens; a file that cannot be written is named in an error box and left
// absent; a cancelled dialog writes and says nothing.
void SequencePreviewTest::exportsWriteFilesThatOpenOrSayWhyNot() {
    PreviewOnDevice fixture;
    DisabledWells wells;
    wells.flags = {0, 0, 1, 0, 0, 0};
    fixture.device.document->setDisabledWells(wells);
    QVERIFY(fixture.setSequence({displacementSet("A", 400, 2), displacementSet("B", 100, 3, 0)}));
    // Only the enabled wells are drawn.
    QStringList legend;
    for (QAbstractSeries* series : fixture.chart().chart()->series()) {
        if (series->isVisible()) {
            legend << series->name();
        }
    }
    QCOMPARE(legend, (QStringList{"Well 1", "Well 2", "Well 4", "Well 5", "Well 6"}));
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
