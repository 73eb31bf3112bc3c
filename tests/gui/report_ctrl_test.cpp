// The report list under the sequence and the card's files: where rows land,
// cells outside the list refused, changes it makes itself kept quiet, and
// the selection-state operations the download and the editor rely on.
#include "gui/controls/report_ctrl.h"

#include <QSignalSpy>
#include <QtTest>

using kyrvana::gui::CReportCtrl;

class ReportCtrlTest : public QObject {
    Q_OBJECT

  private slots:
    void cellsAndRows();
    void itemStateFollowsTheSelection();
};

// Rows land where asked, clamped to the list; cells outside it are refused.
// Changes the list makes itself stay quiet: owners hear only the user.
void ReportCtrlTest::cellsAndRows() {
    CReportCtrl list;
    list.setColumns(QStringLiteral("Name,80;Size,50"));
    QSignalSpy cellChanges(&list, &QTableWidget::cellChanged);
    QSignalSpy selectionChanges(&list, &QTableWidget::itemSelectionChanged);
    QCOMPARE(list.insertItem(5, QStringLiteral("b")), 0);
    QCOMPARE(list.insertItem(0, QStringLiteral("a")), 0);
    QCOMPARE(list.insertItem(99, QStringLiteral("c")), 2);
    QCOMPARE(list.insertItem(-3, QStringLiteral("first")), 0);
    QStringList names;
    for (int row = 0; row < list.itemCount(); ++row) {
        names << list.itemText(row, 0);
    }
    QCOMPARE(names, (QStringList{"first", "a", "b", "c"}));

    QVERIFY(!list.setItemText(4, 0, QStringLiteral("x")));
    QVERIFY(!list.setItemText(0, 2, QStringLiteral("x")));
    QVERIFY(!list.setItemState(5, CReportCtrl::kStateSelected, CReportCtrl::kStateSelected));
    // The cells are shown, never edited in place.
    QVERIFY(list.setItemNumber(0, 1, 200.5));
    QVERIFY(!(list.item(0, 1)->flags() & Qt::ItemIsEditable));
    QVERIFY(list.setItemState(1, CReportCtrl::kStateSelected, CReportCtrl::kStateSelected));
    list.deleteAllItems();
    QCOMPARE(list.itemCount(), 0);
    QVERIFY(list.updatesEnabled());
    QCOMPARE(cellChanges.count(), 0);
    QCOMPARE(selectionChanges.count(), 0);
}

// A downloaded file's row is unselected while the others wait their turn.
void ReportCtrlTest::itemStateFollowsTheSelection() {
    CReportCtrl list;
    list.setColumns(QStringLiteral("Name,80;Size,60"));
    for (int row = 0; row < 4; ++row) {
        list.insertItem(row, QStringLiteral("file%1").arg(row));
    }
    const unsigned selected = CReportCtrl::kStateSelected;
    QVERIFY(list.setItemState(1, selected, selected));
    QVERIFY(list.setItemState(3, selected, selected));
    QCOMPARE(list.selectedRows(), (QList<int>{1, 3}));
    QCOMPARE(list.itemState(2, selected), 0U);

    // Clearing one row's selection leaves the other.
    QVERIFY(list.setItemState(1, 0, selected));
    QCOMPARE(list.selectedRows(), (QList<int>{3}));

    // A mask without the selected bit leaves the selection alone.
    QVERIFY(list.setItemState(3, 0, CReportCtrl::kStateFocused));
    QCOMPARE(list.selectedRows(), (QList<int>{3}));
}

QTEST_MAIN(ReportCtrlTest)
#include "report_ctrl_test.moc"
