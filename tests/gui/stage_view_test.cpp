// The sequence view: its list, totals and fields follow the working
// sequence; the set buttons change it within the device's ten sets; the
// homing choice warns.
#include "gui/editor/stage_view.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "connected_document.h"
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
    void buttonsFollowTheSelectionAndTheDevice();
    void insertAndDeleteActOnTheSelectedRow();
    void insertStopsAtTenSets();
    void editReplacesTheRowOnlyOnOk();
    void homingWarnsOnlyWhenChecked();
    void nameAndRepeatFieldsFeedTheChecks();
};

// Edit Set and Delete act on the selected row: without one they are off.
// Editing and inserting need a ready device; deleting does not.
void StageViewTest::buttonsFollowTheSelectionAndTheDevice() {
    ViewOnDevice fixture;
    CStageView& view = fixture.view;
    int editorRuns = 0;
    view.setSetEditorRunner(
        [&](QWidget*, SetRecord&, const SetLimitsHardware&, DisabledWells&, MessageBoxes&) {
            ++editorRuns;
            return true;
        });
    fixture.setSequence({namedSet("A"), namedSet("B")});
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
    // Deleting the selected row leaves nothing selected.
    view.selectRow(0);
    view.deleteButton()->click();
    QCOMPARE(columnTexts(*view.list(), 0), QStringList{"B"});
    QCOMPARE(enabled(), (QList<bool>{false, false, true}));
}

// Insert copies the selected set (row 0 without a selection, the default
// set into an empty sequence) and selects the copy; Delete removes the
// selected row only.
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

    view.insertAbove();
    QCOMPARE(view.list()->itemCount(), 10);
    QCOMPARE(view.model().workingSequence.setCount(), 10);
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
    QCOMPARE(fixture.device.boxes.shown[0].text, QString::fromLatin1(kMaximumSetsMessage));
}

void StageViewTest::editReplacesTheRowOnlyOnOk() {
    ViewOnDevice fixture;
    QVERIFY(fixture.device.connect());
    CStageView& view = fixture.view;
    fixture.setSequence({namedSet("A"), fortyFiveSecondSet()});

    bool answer = false;
    SetRecord seen;
    SetLimitsHardware hardwareSeen;
    view.setSetEditorRunner([&](QWidget*, SetRecord& set, const SetLimitsHardware& hardware,
                                DisabledWells& wells, MessageBoxes&) {
        seen = set;
        hardwareSeen = hardware;
        set.name = "Edited";
        set.numReps = 20;
        wells.flags[5] = 1;  // as the editor's "Disable Wells" button stores it
        wells.mask = 0x20;
        return answer;
    });

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
    view.model().homingBoxVisible = true;
    view.refreshFromModel();
    view.homingBox()->click();
    QVERIFY(view.model().homingDisabled);
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
    QCOMPARE(fixture.device.boxes.shown[0].text, QString::fromLatin1(CStageView::kHomingWarning));
    view.homingBox()->click();
    QVERIFY(!view.model().homingDisabled);
    QCOMPARE(fixture.device.boxes.shown.size(), 1);
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
    // What is typed into the repeat field is read as the number it starts
    // with, and the total of the 45 s set follows at once.
    const QPair<QString, QString> repeats[] = {{"abc", "00:00:00"}, {"4x", "00:03:00"}};
    for (const auto& [typed, totalTime] : repeats) {
        view.repeatEdit()->clear();
        QTest::keyClicks(view.repeatEdit(), typed);
        QCOMPARE(view.totalTimeEdit()->text(), totalTime);
    }

    // Which names and repeats pass is the core's; the fields reach it and
    // show what it made of them.
    QCOMPARE(view.checkSequence(), 1);
    QCOMPARE(view.testNameEdit()->text(), QStringLiteral("a_b_c"));
    QCOMPARE(fixture.device.document->hardware().RepeatTestSequence, 4);
    QCOMPARE(fixture.device.document->sequence().setCount(), 1);
}

QTEST_MAIN(StageViewTest)
#include "stage_view_test.moc"
