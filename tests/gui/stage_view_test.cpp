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
    void widestTitlesAndValuesFitTheirColumns();
    void buttonsAndKeysFollowTheSelectionAndTheDevice();
    void insertAndDeleteActOnTheSelectedRow();
    void insertStopsAtTenSets();
    void totalsFollowTheRepeatField();
    void editReplacesTheRowOnlyOnOk();
    void homingWarnsOnlyWhenChecked();
    void messagePaneShowsNewLinesAndScrolls();
    void nameAndRepeatFieldsFeedTheChecks();
};

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
    QCOMPARE(list.columnCount(), 15);
    const QFontMetrics titleMetrics = list.horizontalHeader()->fontMetrics();
    for (int column = 0; column < list.columnCount(); ++column) {
        const QString title = list.horizontalHeaderItem(column)->text();
        const int width = list.columnWidth(column);
        // The header draws its titles 4 pixels in from either edge of the
        // section, clear of its separator.
        QVERIFY2(titleMetrics.horizontalAdvance(title) <= width - 9, qPrintable(title));
        for (int row = 0; row < list.itemCount(); ++row) {
            const QModelIndex index = list.model()->index(row, column);
            // What the item delegate asks for the text, besides the grid line.
            QVERIFY2(list.sizeHintForIndex(index).width() + 1 <= width,
                     qPrintable(list.itemText(row, column)));
        }
        const auto alignment =
            Qt::Alignment(list.item(0, column)->textAlignment()) & Qt::AlignHorizontal_Mask;
        QCOMPARE(alignment, Qt::Alignment(column < 2 ? Qt::AlignLeft : Qt::AlignRight));
    }
}

// Edit Set and Delete act on the selected row: without one they are off.
// Editing and inserting need a ready device; deleting does not. The list
// is left with Tab like any other control.
void StageViewTest::buttonsAndKeysFollowTheSelectionAndTheDevice() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    int editorRuns = 0;
    view.setSetEditorRunner(
        [&](QWidget*, SetRecord&, const SetLimitsHardware&, DisabledWells&, MessageBoxes&) {
            ++editorRuns;
            return true;
        });
    fixture.setSequence({namedSet("A"), namedSet("B")});
    view.resize(940, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto enabled = [&] {
        return QList<bool>{view.editButton()->isEnabled(), view.deleteButton()->isEnabled(),
                           view.insertBelowButton()->isEnabled()};
    };
    view.selectRow(0);
    QCOMPARE(enabled(), (QList<bool>{false, true, false}));
    view.insertAbove();
    view.insertBelow();
    view.editSet();
    QCOMPARE(view.list()->itemCount(), 2);
    QCOMPARE(editorRuns, 0);

    QVERIFY(fixture.device.connect());
    view.refreshFromModel();
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));
    view.list()->clearSelection();
    QCOMPARE(enabled(), (QList<bool>{false, false, true}));
    // A click selects, and deleting the row leaves nothing selected.
    const QRect cell = view.list()->visualRect(view.list()->model()->index(0, 0));
    QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));
    view.deleteButton()->click();
    QCOMPARE(columnTexts(*view.list(), 0), QStringList{"B"});
    QCOMPARE(enabled(), (QList<bool>{false, false, true}));

    // Tab enters the list and leaves it, the arrow keys move inside it.
    fixture.setSequence({namedSet("A"), namedSet("B"), namedSet("C")});
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.list()->setFocus(Qt::TabFocusReason);
    view.selectRow(0);
    QTest::keyClick(view.list(), Qt::Key_Down);
    QCOMPARE(view.selectedRow(), 1);
    QTest::keyClick(view.list(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view.editButton()));
    QCOMPARE(view.selectedRow(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(view.list()->hasFocus());
}

// Insert copies the selected set (row 0 without a selection, the default
// set into an empty sequence) and selects the copy; Delete and the Delete
// key remove the selected row only.
void StageViewTest::insertAndDeleteActOnTheSelectedRow() {
    const QStringList abc = {"A", "B", "C"};
    const struct {
        QStringList before;
        int selected;
        void (CStageView::*act)();
        QStringList after;
        int selectedAfter;
    } cases[] = {
        {{}, -1, &CStageView::insertBelow, {"Data1"}, 0},
        {abc, 1, &CStageView::insertAbove, {"A", "B", "B", "C"}, 1},
        {abc, 2, &CStageView::insertBelow, {"A", "B", "C", "C"}, 3},
        {abc, -1, &CStageView::insertAbove, {"A", "A", "B", "C"}, 0},
        {abc, -1, &CStageView::deleteSet, abc, -1},
        {abc, 1, &CStageView::deleteSet, {"A", "C"}, -1},
    };
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    const auto show = [&](const QStringList& names, int selected) {
        view.model().workingSequence.sets.clear();
        for (const QString& name : names) {
            view.model().workingSequence.sets.push_back(namedSet(qPrintable(name)));
        }
        view.refreshFromModel();
        view.list()->clearSelection();
        if (selected >= 0) {
            view.selectRow(selected);
        }
    };
    for (const auto& c : cases) {
        show(c.before, c.selected);
        (view.*c.act)();
        QCOMPARE(columnTexts(*view.list(), 0), c.after);
        QCOMPARE(view.model().workingSequence.setCount(), c.after.size());
        QCOMPARE(view.selectedRow(), c.selectedAfter);
    }
    // The Delete key in the list does what Delete does.
    show(abc, 2);
    QTest::keyClick(view.list(), Qt::Key_Delete);
    QCOMPARE(columnTexts(*view.list(), 0), (QStringList{"A", "B"}));
    QVERIFY(fixture.device.boxes.shown.isEmpty());
}

void StageViewTest::insertStopsAtTenSets() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    for (int set = 0; set < 10; ++set) {
        view.insertBelow();
    }
    QCOMPARE(view.usedMemoryEdit()->text(), QStringLiteral("100.0"));
    QVERIFY(fixture.device.boxes.shown.isEmpty());

    view.insertAbove();
    view.insertBelow();
    QCOMPARE(view.list()->itemCount(), 10);
    QCOMPARE(view.model().workingSequence.setCount(), 10);
    QCOMPARE(fixture.device.boxes.shown.size(), 2);
    QCOMPARE(fixture.device.boxes.shown[0].text, QString::fromLatin1(kMaximumSetsMessage));
}

// Two sets of 45 s: what is typed into the repeat field is read as the
// number it starts with.
void StageViewTest::totalsFollowTheRepeatField() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    fixture.setSequence({fortyFiveSecondSet(), fortyFiveSecondSet()});
    const QPair<QString, QString> cases[] = {
        {"3", "00:04:30"}, {"3x", "00:04:30"}, {"abc", "00:00:00"}};
    for (const auto& [repeats, totalTime] : cases) {
        view.repeatEdit()->clear();
        QTest::keyClicks(view.repeatEdit(), repeats);
        QCOMPARE(view.totalTimeEdit()->text(), totalTime);
    }
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
    QCOMPARE(view.model().workingSequence.sets[1].numReps, 20);
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
    QCOMPARE(fixture.device.boxes.shown[0].text, QString::fromLatin1(CStageView::kHomingWarning));
    QCOMPARE(fixture.device.boxes.shown[0].icon, QMessageBox::Warning);
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
    QVERIFY(view.messagePane()->toPlainText().endsWith(QStringLiteral("Line 58\nLine 59\n")));
    QScrollBar* bar = view.messagePane()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    // Device work clears the pane before it reports; the host refreshes.
    fixture.device.host->withView([](SequenceViewModel& model) {
        model.clearMessages();
        model.appendMessage("\nReading Device... Success\n");
    });
    QCOMPARE(view.messagePane()->toPlainText(), QStringLiteral("\nReading Device... Success\n"));
}

void StageViewTest::nameAndRepeatFieldsFeedTheChecks() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    fixture.setSequence({fortyFiveSecondSet()});
    // Typing stops where the device's room for the name ends.
    view.testNameEdit()->clear();
    QTest::keyClicks(view.testNameEdit(), QString(240, QLatin1Char('n')));
    QCOMPARE(view.model().testName, std::string(234, 'n'));
    view.testNameEdit()->clear();
    QTest::keyClicks(view.testNameEdit(), QStringLiteral("a/b:c"));
    view.repeatEdit()->clear();
    QTest::keyClicks(view.repeatEdit(), QStringLiteral("4"));

    // Which names and repeats pass is the core's; the fields reach it and
    // show what it made of them.
    QCOMPARE(view.checkSequence(), 1);
    QCOMPARE(view.testNameEdit()->text(), QStringLiteral("a_b_c"));
    QCOMPARE(fixture.device.document->hardware().RepeatTestSequence, 4);
    QCOMPARE(fixture.device.document->sequence().setCount(), 1);
}

QTEST_MAIN(StageViewTest)
#include "stage_view_test.moc"
