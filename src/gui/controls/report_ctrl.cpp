#include "gui/controls/report_ctrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"
#include "gui/controls/orvenda_header_ctrl.h"

namespace kyrvana::gui {
namespace {

constexpr Qt::ItemFlags kCellFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;

// Repaints once when the list is done changing.
class UpdatesLock {
  public:
    explicit UpdatesLock(QWidget* widget) : widget_(widget), wasEnabled_(widget->updatesEnabled()) {
        widget_->setUpdatesEnabled(false);
    }
    ~UpdatesLock() { widget_->setUpdatesEnabled(wasEnabled_); }
    UpdatesLock(const UpdatesLock&) = delete;
    UpdatesLock& operator=(const UpdatesLock&) = delete;

  private:
    QWidget* widget_;
    bool wasEnabled_;
};

// Whole rows are selected, so the focus frame of the current cell would only
// split the selected row in two.
class RowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

}  // namespace

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTableWidget(parent), header_(new COrvendaHeaderCtrl(Qt::Horizontal, this)) {
    setHorizontalHeader(header_);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new RowDelegate(this));
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, Qt::white);
    setPalette(colours);
}

void CReportCtrl::setColumns(const QString& columns) {
    const QSignalBlocker quiet(this);
    UpdatesLock lock(this);
    clear();
    setRowCount(0);
    setColumnCount(0);

    QStringList titles;
    QList<int> widths;
    for (const QString& entry : columns.split(QLatin1Char(';'))) {
        if (entry.trimmed().isEmpty()) {
            continue;
        }
        const qsizetype comma = entry.indexOf(QLatin1Char(','));
        titles.append(comma < 0 ? entry : entry.left(comma));
        widths.append(comma < 0 ? kDefaultColumnWidth
                                : cAtoi(entry.mid(comma + 1).toLatin1().toStdString()));
    }
    setColumnCount(static_cast<int>(titles.size()));
    setHorizontalHeaderLabels(titles);
    alignments_.clear();
    // The widths were chosen for one font; a wider one (the fallback where
    // that font is missing) still shows every title in full.
    // A column given no width stays closed.
    for (int column = 0; column < columnCount(); ++column) {
        const int width = widths[column];
        setColumnWidth(column,
                       width > 0 ? std::max(width, header_->sectionWidthFor(titles[column])) : 0);
    }
}

int CReportCtrl::cellWidthFor(const QString& text) const {
    // The item view style keeps this margin on either side of a cell's
    // text, and the grid line takes a pixel of the cell's width.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int grid = showGrid() ? 1 : 0;
    return fontMetrics().horizontalAdvance(text) + 2 * margin + grid;
}

void CReportCtrl::fitColumnToTexts(int column, const QStringList& texts) {
    if (column < 0 || column >= columnCount()) {
        return;
    }
    int width = columnWidth(column);
    for (const QString& text : texts) {
        width = std::max(width, cellWidthFor(text));
    }
    setColumnWidth(column, width);
}

void CReportCtrl::setColumnAlignment(int column, Qt::Alignment alignment) {
    if (column < 0 || column >= columnCount()) {
        return;
    }
    while (alignments_.size() <= column) {
        alignments_.append(Qt::AlignLeft | Qt::AlignVCenter);
    }
    alignments_[column] = alignment | Qt::AlignVCenter;
    const QSignalBlocker quiet(this);
    if (QTableWidgetItem* title = horizontalHeaderItem(column)) {
        title->setTextAlignment(alignments_[column]);
    }
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* cell = item(row, column)) {
            cell->setTextAlignment(alignments_[column]);
        }
    }
}

Qt::Alignment CReportCtrl::columnAlignment(int column) const {
    return column < alignments_.size() ? alignments_[column] : (Qt::AlignLeft | Qt::AlignVCenter);
}

QTableWidgetItem* CReportCtrl::newCell(int column, const QString& text) const {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(kCellFlags);
    cell->setTextAlignment(columnAlignment(column));
    return cell;
}

void CReportCtrl::deleteAllItems() {
    const QSignalBlocker quiet(this);
    UpdatesLock lock(this);
    clearContents();
    setRowCount(0);
}

int CReportCtrl::insertItem(int index, const QString& text) {
    const QSignalBlocker quiet(this);
    const int row = std::clamp(index, 0, rowCount());
    insertRow(row);
    if (columnCount() > 0) {
        setItem(row, 0, newCell(0, text));
    }
    return row;
}

QTableWidgetItem* CReportCtrl::cellItem(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = newCell(column);
        setItem(row, column, cell);
    }
    return cell;
}

bool CReportCtrl::setItemText(int row, int column, const QString& text) {
    const QSignalBlocker quiet(this);
    QTableWidgetItem* cell = cellItem(row, column);
    if (cell == nullptr) {
        return false;
    }
    cell->setText(text);
    return true;
}

QString CReportCtrl::itemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

bool CReportCtrl::setItemNumber(int row, int column, double value) {
    return setItemText(row, column, QString::fromStdString(strippedNumberText(value)));
}

unsigned CReportCtrl::itemState(int row, unsigned mask) const {
    if (row < 0 || row >= rowCount()) {
        return 0;
    }
    unsigned state = 0;
    if (selectionModel()->isRowSelected(row, QModelIndex())) {
        state |= kStateSelected;
    }
    if (currentIndex().isValid() && currentIndex().row() == row) {
        state |= kStateFocused;
    }
    return state & mask;
}

bool CReportCtrl::setItemState(int row, unsigned state, unsigned mask) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    const QSignalBlocker quiet(this);
    const QModelIndex first = model()->index(row, 0);
    if ((mask & kStateSelected) != 0) {
        const auto command = (state & kStateSelected) != 0 ? QItemSelectionModel::Select
                                                           : QItemSelectionModel::Deselect;
        selectionModel()->select(first, command | QItemSelectionModel::Rows);
    }
    if ((mask & kStateFocused) != 0) {
        if ((state & kStateFocused) != 0) {
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        } else if (currentIndex().row() == row) {
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
    return true;
}

QList<int> CReportCtrl::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace kyrvana::gui
