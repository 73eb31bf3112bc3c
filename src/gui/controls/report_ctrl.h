#pragma once

#include <QList>
#include <QTableWidget>

namespace kyrvana::gui {

class COrvendaHeaderCtrl;

// A report list: rows of text cells under the flat grey header, whole rows
// selected, grid lines, white background. The columns come from one text,
// and numbers are shown without trailing zeros. Changes the list makes itself
// never emit the widget's change signals, so owners only hear the user.
//
// From the keyboard it is one stop in the dialog's Tab order, as a list is:
// the arrow keys move the selection inside it and Tab moves on to the next
// control, rather than walking its cells.
class CReportCtrl : public QTableWidget {
    Q_OBJECT

  public:
    // Selection state bits of a row, as itemState() reports them.
    enum ItemState : unsigned {
        kStateFocused = 0x0001,
        kStateSelected = 0x0002,
    };

    // Width of a column whose entry gives a title but no width.
    static constexpr int kDefaultColumnWidth = 100;

    explicit CReportCtrl(QWidget* parent = nullptr);

    // Empties the list, removes every column, then adds one column per
    // ";"-separated entry of `columns`, each "title,width" in pixels (for
    // example "Name,120;Size,80"). Empty (or blank) entries are skipped; the
    // width is read as atoi would read it.
    void setColumns(const QString& columns);

    // Widens `column` where needed (it never narrows it) so that each of
    // `texts` shows in full in a cell of that column, in the list's font.
    // setColumns() already makes every title fit its column.
    void fitColumnToTexts(int column, const QStringList& texts);
    // The alignment of a column's cells and title; numbers are right-aligned
    // so that their digits line up. Cells already there are aligned too.
    void setColumnAlignment(int column, Qt::Alignment alignment);

    // Removes every row; the window does not repaint until all are gone.
    void deleteAllItems();

    // Inserts a row at `index` (clamped to the list) with `text` in column 0
    // and returns the row it landed on.
    int insertItem(int index, const QString& text);

    // Sets one cell; false when the row or column does not exist.
    bool setItemText(int row, int column, const QString& text);
    QString itemText(int row, int column) const;

    // Sets one cell to `value` printed with "%f" without trailing zeros and
    // without a trailing point (13 -> "13", 200.5 -> "200.5").
    bool setItemNumber(int row, int column, double value);

    // The state bits of `row` selected by `mask`; 0 for a row that does not exist.
    unsigned itemState(int row, unsigned mask) const;
    // Sets the bits of `mask` in `row` to those of `state`.
    bool setItemState(int row, unsigned state, unsigned mask);

    int itemCount() const { return rowCount(); }
    // Selected rows in ascending order.
    QList<int> selectedRows() const;

    COrvendaHeaderCtrl* header() const { return header_; }

    // The width a column needs to show `text` in a cell without cutting it.
    int cellWidthFor(const QString& text) const;

  private:
    QTableWidgetItem* cellItem(int row, int column);
    QTableWidgetItem* newCell(int column, const QString& text = QString()) const;
    Qt::Alignment columnAlignment(int column) const;

    COrvendaHeaderCtrl* header_;
    QList<Qt::Alignment> alignments_;  // per column; left where not set
};

}  // namespace kyrvana::gui
