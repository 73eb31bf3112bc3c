// The report list and the drawn controls: column parsing, cell texts, the
// selection-state operations, and the greys they paint.
#include "gui/controls/report_ctrl.h"

#include <QSignalSpy>
#include <QtTest>

#include "gui/controls/orvenda_button.h"
#include "gui/controls/orvenda_header_ctrl.h"

using kyrvana::gui::COrvendaButton;
using kyrvana::gui::CReportCtrl;

class ReportCtrlTest : public QObject {
    Q_OBJECT

  private slots:
    void setColumnsParsesEntries_data();
    void setColumnsParsesEntries();
    void cellsAndRows();
    void itemStateFollowsTheSelection();
    void headerAndButtonPaintTheirGreys();
};

void ReportCtrlTest::setColumnsParsesEntries_data() {
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<int>>("widths");

    QTest::newRow("empty entries skipped")
        << ";Well,60;;Raw, 75;" << QStringList{"Well", "Raw"} << QList<int>{60, 75};
    QTest::newRow("width read like atoi")
        << "A,120px;B,abc" << QStringList{"A", "B"} << QList<int>{120, 0};
    QTest::newRow("title kept as typed")
        << " Force (N) ,80" << QStringList{" Force (N) "} << QList<int>{80};
    QTest::newRow("missing width")
        << "Only" << QStringList{"Only"} << QList<int>{CReportCtrl::kDefaultColumnWidth};
    QTest::newRow("nothing") << ";; ;" << QStringList{} << QList<int>{};
}

// Each time on a list that had other columns and rows: they all go.
void ReportCtrlTest::setColumnsParsesEntries() {
    QFETCH(QString, columns);
    QFETCH(QStringList, titles);
    QFETCH(QList<int>, widths);
    CReportCtrl list;
    list.setColumns(QStringLiteral("X,50;Y,50;Z,50"));
    list.insertItem(0, QStringLiteral("one"));
    list.setColumns(columns);
    QCOMPARE(list.itemCount(), 0);
    QStringList shownTitles;
    QList<int> shownWidths;
    for (int column = 0; column < list.columnCount(); ++column) {
        shownTitles << list.horizontalHeaderItem(column)->text();
        shownWidths << list.columnWidth(column);
    }
    QCOMPARE(shownTitles, titles);
    QCOMPARE(shownWidths, widths);
}

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
    QVERIFY(!list.setItemNumber(-1, 0, 1.0));
    QVERIFY(!list.setItemState(5, CReportCtrl::kStateSelected, CReportCtrl::kStateSelected));
    QCOMPARE(list.itemState(5, CReportCtrl::kStateSelected), 0U);
    // Numbers without trailing zeros (their text is the core's).
    QVERIFY(list.setItemNumber(0, 1, 200.5));
    QCOMPARE(list.itemText(0, 1), QStringLiteral("200.5"));
    // The cells are shown, never edited in place.
    QVERIFY(!(list.item(0, 1)->flags() & Qt::ItemIsEditable));
    QVERIFY(list.setItemState(1, CReportCtrl::kStateSelected, CReportCtrl::kStateSelected));
    list.deleteAllItems();
    QCOMPARE(list.itemCount(), 0);
    QVERIFY(list.updatesEnabled());
    QCOMPARE(cellChanges.count(), 0);
    QCOMPARE(selectionChanges.count(), 0);
}

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
    QCOMPARE(list.itemState(1, selected), selected);
    QCOMPARE(list.itemState(2, selected), 0U);

    // Clearing one row's selection leaves the other.
    QVERIFY(list.setItemState(1, 0, selected));
    QCOMPARE(list.selectedRows(), (QList<int>{3}));

    // A mask without the selected bit leaves the selection alone.
    QVERIFY(list.setItemState(3, 0, CReportCtrl::kStateFocused));
    QCOMPARE(list.selectedRows(), (QList<int>{3}));
    QVERIFY(list.setItemState(2, CReportCtrl::kStateFocused, CReportCtrl::kStateFocused));
    QCOMPARE(list.itemState(2, CReportCtrl::kStateFocused | selected),
             unsigned{CReportCtrl::kStateFocused});
}

void ReportCtrlTest::headerAndButtonPaintTheirGreys() {
    CReportCtrl list;
    list.resize(300, 120);
    list.setColumns(QStringLiteral("Name,100;Size,60"));
    list.show();
    const QImage header = list.horizontalHeader()->grab().toImage();
    // Past the last column the strip is the flat 224; a section's left edge
    // is its 189 frame.
    QCOMPARE(header.pixelColor(header.width() - 5, header.height() / 2), QColor(224, 224, 224));
    QCOMPARE(header.pixelColor(0, header.height() / 2), QColor(189, 189, 189));
    QCOMPARE(header.pixelColor(50, 1), QColor(224, 224, 224));

    COrvendaButton button(QStringLiteral("Jog"));
    button.resize(80, 30);
    const QImage idle = button.grab().toImage();
    QCOMPARE(idle.pixelColor(0, 0), QColor(189, 189, 189));
    QCOMPARE(idle.pixelColor(4, 4), QColor(230, 230, 230));
    button.setDown(true);
    QCOMPARE(button.grab().toImage().pixelColor(4, 4), QColor(189, 189, 189));
}

QTEST_MAIN(ReportCtrlTest)
#include "report_ctrl_test.moc"
