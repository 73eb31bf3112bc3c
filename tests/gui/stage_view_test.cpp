// The sequence view: its list, totals and fields follow the working
// sequence; the set buttons change it within the device's ten sets; the
// homing choice warns; the message pane follows what device work writes.
#include "gui/editor/stage_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "connected_document.h"
#include "gui/app/display_scale.h"
#include "gui/controls/report_ctrl.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

SetRecord namedSet(const char* name) {
    SetRecord set;
    set.name = name;
    return set;
}

// A set of 1000/500/1000/2000 ms with 10 repetitions: 45 s per pass.
SetRecord fortyFiveSecondSet() {
    SetRecord set;
    set.stretchDurationMs = 1000;
    set.holdTimeMs = 500;
    set.recoveryDurationMs = 1000;
    set.restTimeMs = 2000;
    set.numReps = 10;
    return set;
}

QStringList columnTexts(const CReportCtrl& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.itemCount(); ++row) {
        texts << list.itemText(row, column);
    }
    return texts;
}

// The view on a connected document, attached to the document's host as the
// application attaches it.
struct ViewOnDevice {
    ViewOnDevice() : view(*device.document, *device.host, device.boxes) {
        device.host->attach(device.document.get(), nullptr, &view);
    }
    void setSequence(std::initializer_list<SetRecord> sets) {
        view.model().workingSequence.sets = sets;
        view.refreshFromModel();
    }
    ConnectedDocument device;
    CStageView view;
};

}  // namespace

class StageViewTest : public QObject {
    Q_OBJECT

  private slots:
    void listHasTheFifteenScaledColumns();
    void widestTitlesAndValuesFitTheirColumns();
    void tabLeavesTheList();
    void editAndDeleteNeedASelectedRow();
    void insertCopiesTheSelectedSetAboveOrBelow();
    void insertStopsAtTenSets();
    void deleteRemovesTheSelectedRowOnly();
    void editAndInsertNeedAReadyDevice();
    void totalsFollowTheSequenceAndTheRepeatField_data();
    void totalsFollowTheSequenceAndTheRepeatField();
    void editReplacesTheRowOnlyOnOk();
    void homingWarnsOnlyWhenChecked();
    void messagePaneShowsNewLinesAndScrolls();
    void nameAndRepeatFieldsFeedTheChecks();
};

void StageViewTest::listHasTheFifteenScaledColumns() {
    ViewOnDevice fixture;
    const CReportCtrl& list = *fixture.view.list();
    const QStringList titles = {"Name",        "Magnitude", "Well1",        "Well2",
                                "Well3",       "Well4",     "Well5",        "Well6",
                                "Load Dur.",   "Hold Dur.", "Recover Dur.", "Rest Dur.",
                                "Preload(mN)", "Reps.",     "Data(Hz)"};
    const int widths[] = {90, 70, 42, 42, 42, 42, 42, 42, 75, 75, 75, 75, 80, 40, 65};
    QCOMPARE(list.columnCount(), 15);
    const double scale = displayScale(fixture.view);
    for (int column = 0; column < 15; ++column) {
        QCOMPARE(list.horizontalHeaderItem(column)->text(), titles[column]);
        QVERIFY(list.columnWidth(column) >= static_cast<int>(std::floor(widths[column] * scale)));
    }
}

// Where the font the columns were made for is missing (here, and on most
// Linux systems) a wider one shows every title and the widest values of
// real sets in full, numbers on the right.
void StageViewTest::widestTitlesAndValuesFitTheirColumns() {
    ViewOnDevice fixture;
    SetRecord force;
    force.name = "Creep 24h rest";
    force.mode[0] = ControlMode::Force;
    force.units[0] = UnitsCode::Millinewtons;
    force.magnitude.fill(111000.0);  // a 111 N load cell's full scale
    force.timeUnits = TimeUnits::Milliseconds;
    force.restTimeMs = 3600000;
    force.recoveryDurationMs = 3600000;
    force.preloadType[0] = PreloadType::EveryRepetition;
    force.preloadMag[0] = 50000.0;
    force.numReps = 100000;
    force.dataFrequency = DataFrequency::Hz0_001;
    SetRecord sinusoid;
    sinusoid.function[0] = FunctionType::Sinusoid;
    sinusoid.magnitude.fill(-23000.0);
    sinusoid.timeUnits = TimeUnits::Minutes;
    sinusoid.holdTimeMs = 86400000;
    fixture.setSequence({force, sinusoid});

    const CReportCtrl& list = *fixture.view.list();
    const QFontMetrics titleMetrics = list.horizontalHeader()->fontMetrics();
    for (int column = 0; column < list.columnCount(); ++column) {
        const QString title = list.horizontalHeaderItem(column)->text();
        const int width = list.columnWidth(column);
        // The header draws its titles 4 pixels in from either edge of the
        // section, clear of its separator.
        QVERIFY2(titleMetrics.horizontalAdvance(title) <= width - 9, qPrintable(title));
        for (int row = 0; row < list.itemCount(); ++row) {
            const QModelIndex index = list.model()->index(row, column);
            const QString text = list.itemText(row, column);
            // What the item delegate asks for the text, besides the grid line.
            QVERIFY2(list.sizeHintForIndex(index).width() + 1 <= width, qPrintable(text));
        }
    }
    QCOMPARE(list.itemText(0, 2), QStringLiteral("111000"));
    QCOMPARE(list.itemText(1, 1), QStringLiteral("Sinusoid (um)"));
    const auto aligned = [&](int column) {
        return Qt::Alignment(list.item(0, column)->textAlignment()) & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(aligned(0), Qt::Alignment(Qt::AlignLeft));
    for (const int number : {2, 7, 8, 12, 13, 14}) {
        QCOMPARE(aligned(number), Qt::Alignment(Qt::AlignRight));
    }
}

// Tab enters the list and leaves it, the arrow keys move inside it.
void StageViewTest::tabLeavesTheList() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    fixture.setSequence({namedSet("A"), namedSet("B"), namedSet("C")});
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.list()->setFocus(Qt::TabFocusReason);
    QVERIFY(view.list()->hasFocus());
    view.selectRow(0);

    QTest::keyClick(view.list(), Qt::Key_Down);
    QCOMPARE(view.selectedRow(), 1);
    QVERIFY(view.list()->hasFocus());

    QTest::keyClick(view.list(), Qt::Key_Tab);
    QVERIFY(!view.list()->hasFocus());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view.editButton()));
    QCOMPARE(view.selectedRow(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(view.list()->hasFocus());
}

// Edit Set and Delete act on the selected row; without one they are off.
void StageViewTest::editAndDeleteNeedASelectedRow() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    fixture.setSequence({namedSet("A"), namedSet("B")});
    const auto enabled = [&] {
        return QPair<bool, bool>(view.editButton()->isEnabled(), view.deleteButton()->isEnabled());
    };
    QCOMPARE(enabled(), qMakePair(false, false));
    view.selectRow(1);
    QCOMPARE(enabled(), qMakePair(true, true));
    view.list()->clearSelection();
    QCOMPARE(enabled(), qMakePair(false, false));

    // A click selects, and deleting the row leaves nothing selected.
    const QRect cell = view.list()->visualRect(view.list()->model()->index(0, 0));
    QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(view.selectedRow(), 0);
    QCOMPARE(enabled(), qMakePair(true, true));
    view.deleteButton()->click();
    QCOMPARE(columnTexts(*view.list(), 0), QStringList{"B"});
    QCOMPARE(enabled(), qMakePair(false, false));
}

void StageViewTest::insertCopiesTheSelectedSetAboveOrBelow() {
    ViewOnDevice fixture;
    QVERIFY2(fixture.device.connect(), fixture.device.error.c_str());
    CStageView& view = fixture.view;

    // An empty sequence gets the default set.
    view.insertBelow();
    QCOMPARE(columnTexts(*view.list(), 0), QStringList{"Data1"});

    fixture.setSequence({namedSet("A"), namedSet("B"), namedSet("C")});
    view.selectRow(1);
    view.insertAbove();
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "B", "B", "C"}));
    QCOMPARE(view.selectedRow(), 1);

    // Below the last row: a copy of the last set at the end.
    view.selectRow(3);
    view.insertBelow();
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "B", "B", "C", "C"}));
    QCOMPARE(view.selectedRow(), 4);

    // Nothing selected: a copy of row 0 goes above it.
    view.list()->clearSelection();
    view.insertAbove();
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "A", "B", "B", "C", "C"}));
    QCOMPARE(view.model().workingSequence.setCount(), 6);
    QVERIFY(fixture.device.boxes.shown.isEmpty());
}

void StageViewTest::insertStopsAtTenSets() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    for (int set = 0; set < 10; ++set) {
        view.insertBelow();
    }
    QCOMPARE(view.list()->itemCount(), 10);
    QCOMPARE(view.usedMemoryEdit()->text(), QStringLiteral("100.0"));
    QVERIFY(fixture.device.boxes.shown.isEmpty());

    view.insertAbove();
    view.insertBelow();
    QCOMPARE(view.list()->itemCount(), 10);
    QCOMPARE(view.model().workingSequence.setCount(), 10);
    QCOMPARE(fixture.device.boxes.shown.size(), 2);
    const auto& box = fixture.device.boxes.shown.constFirst();
    QCOMPARE(box.text, QStringLiteral("Maximum Sets Limit Reached"));
    QCOMPARE(box.caption, QStringLiteral("KyrvanaP7"));
}

void StageViewTest::deleteRemovesTheSelectedRowOnly() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    // Deleting needs no device.
    fixture.setSequence(
        {namedSet("A"), namedSet("B"), namedSet("C"), namedSet("D"), namedSet("E")});

    view.list()->clearSelection();
    view.deleteSet();
    QCOMPARE(view.list()->itemCount(), 5);

    view.selectRow(1);
    view.deleteSet();
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "C", "D", "E"}));

    // The Delete key in the list does the same.
    view.selectRow(3);
    QTest::keyClick(view.list(), Qt::Key_Delete);
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "C", "D"}));
    QCOMPARE(view.model().workingSequence.setCount(), 3);
}

void StageViewTest::editAndInsertNeedAReadyDevice() {
    ViewOnDevice fixture;  // never connected
    CStageView& view = fixture.view;
    int editorRuns = 0;
    view.setSetEditorRunner(
        [&](QWidget*, SetRecord&, const SetLimitsHardware&, DisabledWells&, MessageBoxes&) {
            ++editorRuns;
            return true;
        });
    fixture.setSequence({namedSet("A")});
    view.selectRow(0);
    view.insertAbove();
    view.insertBelow();
    view.editSet();
    QCOMPARE(view.list()->itemCount(), 1);
    QCOMPARE(editorRuns, 0);
    QVERIFY(fixture.device.boxes.shown.isEmpty());
    QVERIFY(!view.insertBelowButton()->isEnabled());
    QVERIFY(!view.editButton()->isEnabled());
    QVERIFY(view.deleteButton()->isEnabled());
}

void StageViewTest::totalsFollowTheSequenceAndTheRepeatField_data() {
    QTest::addColumn<int>("sets");
    QTest::addColumn<int>("hoursPerSet");
    QTest::addColumn<QString>("repeats");
    QTest::addColumn<QString>("totalTime");

    QTest::newRow("two 45 s sets three times") << 2 << 0 << "3"
                                               << "00:04:30";
    QTest::newRow("typed with letters after") << 2 << 0 << "3x"
                                              << "00:04:30";
    QTest::newRow("no number counts as zero") << 2 << 0 << "abc"
                                              << "00:00:00";
    QTest::newRow("one hundred hours") << 4 << 25 << "1"
                                       << "100:00:00";
}

void StageViewTest::totalsFollowTheSequenceAndTheRepeatField() {
    QFETCH(int, sets);
    QFETCH(int, hoursPerSet);
    QFETCH(QString, repeats);
    QFETCH(QString, totalTime);

    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    SetRecord set = fortyFiveSecondSet();
    if (hoursPerSet > 0) {
        set = SetRecord{};
        set.stretchDurationMs = hoursPerSet * 3600 * 1000;
        set.recoveryDurationMs = 0;
    }
    view.model().workingSequence.sets.assign(static_cast<std::size_t>(sets), set);
    view.refreshFromModel();

    view.repeatEdit()->clear();
    QTest::keyClicks(view.repeatEdit(), repeats);
    QCOMPARE(view.totalTimeEdit()->text(), totalTime);
}

void StageViewTest::editReplacesTheRowOnlyOnOk() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    fixture.setSequence({namedSet("A"), fortyFiveSecondSet()});

    bool answer = false;
    int runs = 0;
    SetRecord seen;
    SetLimitsHardware hardwareSeen;
    view.setSetEditorRunner([&](QWidget*, SetRecord& set, const SetLimitsHardware& hardware,
                                DisabledWells& wells, MessageBoxes&) {
        ++runs;
        seen = set;
        hardwareSeen = hardware;
        set.name = "Edited";
        set.numReps = 20;
        wells.flags[5] = 1;  // as the editor's "Disable Wells" button stores it
        wells.mask = 0x20;
        return answer;
    });

    // Nothing selected: no editor.
    view.list()->clearSelection();
    view.editSet();
    QCOMPARE(runs, 0);

    view.selectRow(1);
    view.editSet();  // Cancel
    QCOMPARE(seen, fortyFiveSecondSet());
    QVERIFY(hardwareSeen.link == &fixture.device.document->link());
    QCOMPARE(view.list()->itemText(1, 0), QStringLiteral("Data1"));
    // The wells were stored all the same, and the list shows them.
    QCOMPARE(fixture.device.document->disabledWells().mask, std::uint8_t{0x20});
    QCOMPARE(view.list()->itemText(1, 7), QStringLiteral("  -"));

    // A double-click on a row edits it; OK replaces it.
    answer = true;
    view.resize(940, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect cell = view.list()->visualRect(view.list()->model()->index(1, 0));
    // The first click of a double-click comes on its own.
    QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view.list()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(view.list()->itemText(1, 0), QStringLiteral("Edited"));
    QCOMPARE(view.list()->itemText(1, 13), QStringLiteral("20"));
    QCOMPARE(view.model().workingSequence.sets[1].numReps, 20);
    QCOMPARE(view.totalTimeEdit()->text(), QStringLiteral("00:01:32"));  // 2 s + 90 s
    QCOMPARE(view.selectedRow(), 1);
}

void StageViewTest::homingWarnsOnlyWhenChecked() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    view.show();
    QVERIFY(!view.homingBox()->isVisible());
    view.model().homingBoxVisible = true;
    view.refreshFromModel();
    QVERIFY(view.homingBox()->isVisible());

    view.homingBox()->click();
    QVERIFY(view.model().homingDisabled);
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
    const auto& box = fixture.device.boxes.shown.constFirst();
    QCOMPARE(box.caption, QStringLiteral("Orvenda Kyrvana"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.text, QStringLiteral(
                           "This selection will be applied after device is Programmed.\n\nWhen "
                           "homing is disabled:\n\tLoad cells will zero ONLY after a reset.\n\tThe "
                           "test will start after the second button press.\n\n\tPress and hold "
                           "the button for 5 seconds\n\tto reset and home the device."));
    view.homingBox()->click();
    QVERIFY(!view.model().homingDisabled);
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
}

void StageViewTest::messagePaneShowsNewLinesAndScrolls() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    view.resize(900, 500);
    view.show();
    for (int line = 0; line < 60; ++line) {
        view.appendLogText("Line " + std::to_string(line) + "\n");
    }
    QCOMPARE(view.model().messageLineCount, 60);
    QVERIFY(view.messagePane()->toPlainText().endsWith(QStringLiteral("Line 59\n")));
    QScrollBar* bar = view.messagePane()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    // Device work clears the pane before it reports; the host refreshes.
    fixture.device.host->withView([](SequenceViewModel& model) {
        model.clearMessages();
        model.appendMessage("\nReading Device... Success\n");
    });
    QCOMPARE(view.messagePane()->toPlainText(), QStringLiteral("\nReading Device... Success\n"));
    QCOMPARE(view.model().messageLineCount, 2);
}

void StageViewTest::nameAndRepeatFieldsFeedTheChecks() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    fixture.setSequence({fortyFiveSecondSet()});
    // Typing stops where the device's room for the name ends.
    view.testNameEdit()->clear();
    QTest::keyClicks(view.testNameEdit(), QString(240, QLatin1Char('n')));
    QCOMPARE(view.testNameEdit()->text(), QString(234, QLatin1Char('n')));
    QCOMPARE(view.model().testName, std::string(234, 'n'));
    view.testNameEdit()->clear();
    QTest::keyClicks(view.testNameEdit(), QStringLiteral("a/b:c"));
    view.repeatEdit()->clear();
    QTest::keyClicks(view.repeatEdit(), QStringLiteral("4"));

    QCOMPARE(view.checkSequence(), 1);
    QCOMPARE(view.testNameEdit()->text(), QStringLiteral("a_b_c"));
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
    QCOMPARE(fixture.device.boxes.shown[0].icon, QMessageBox::NoIcon);
    QCOMPARE(fixture.device.document->hardware().RepeatTestSequence, 4);
    QCOMPARE(fixture.device.document->sequence().setCount(), 1);

    view.repeatEdit()->clear();
    QTest::keyClicks(view.repeatEdit(), QStringLiteral("0"));
    QCOMPARE(view.checkSequence(), -1);
    QCOMPARE(fixture.device.boxes.shown.last().text,
             QStringLiteral("Error:  Minimum Repeats of Entire Sequence = 1\n"));
}

QTEST_MAIN(StageViewTest)
#include "stage_view_test.moc"
