#include "gui/editor/stage_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "core/document/kyrvana_doc.h"
#include "core/document/sequence_handover.h"
#include "core/editor/sequence_list_text.h"
#include "core/editor/test_name_rules.h"
#include "gui/app/app_identity.h"
#include "gui/app/display_scale.h"
#include "gui/app/latin1_text.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/orvenda_header_ctrl.h"
#include "gui/controls/read_only_field.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/set_param_editor.h"

namespace kyrvana::gui {
namespace {

// The label of the total time before the list is first filled, and after.
constexpr const char* kTotalTimeFirstLabel = "Total Time ";
constexpr const char* kTotalTimeLabel = "Total Time";

QLineEdit* readOnlyField(QWidget* parent, int width) {
    auto* field = new QLineEdit(parent);
    makeReadOnly(field);
    field->setFixedWidth(width);
    field->setAlignment(Qt::AlignRight);
    return field;
}

int scaled(int width, double scale) {
    return static_cast<int>(std::floor(width * scale));
}

// The pane keeps the device's CR LF line ends; the text widget wants LF.
QString paneText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(plain),
                 [](char c) { return c != '\r'; });
    return fromCore(plain);
}

}  // namespace

CStageView::CStageView(CKyrvanaDoc& document, DocumentHost& host, MessageBoxes& boxes,
                       QWidget* parent)
    : QWidget(parent),
      document_(document),
      host_(host),
      boxes_(boxes),
      setEditor_(&CStageView::runSetParamEditor) {
    scale_ = displayScale(*this);
    buildWidgets();
    rebuildList();
    totalTimeLabel_->setText(QString::fromLatin1(kTotalTimeFirstLabel));
    refreshFromModel();
}

void CStageView::buildWidgets() {
    // The form (list, buttons, fields) above, the message pane below, and
    // between them the place of the sequence preview; a splitter lets the
    // user share the height among them.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 6, 10, 8);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("viewSplitter"));
    splitter_->setChildrenCollapsible(false);
    outer->addWidget(splitter_);
    auto* form = new QWidget(splitter_);
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* titleRow = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("Test Sequence"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    deviceLine_ = new QLabel(this);
    deviceLine_->setObjectName(QStringLiteral("deviceLine"));
    titleRow->addWidget(deviceLine_);
    layout->addLayout(titleRow);

    list_ = new CReportCtrl(this);
    list_->setObjectName(QStringLiteral("sequenceList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The cells in the header's small face: fifteen columns share 950 pixels.
    list_->setFont(COrvendaHeaderCtrl::titleFont());
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setListColumns();
    // At least half the device's ten sets show without scrolling, so that
    // the smallest window leaves the sequence preview some height; a taller
    // window gives the list more.
    list_->setMinimumHeight(list_->horizontalHeader()->sizeHint().height() +
                            kMaximumSets / 2 * list_->verticalHeader()->defaultSectionSize() +
                            2 * list_->frameWidth());
    list_->installEventFilter(this);
    connect(list_, &CReportCtrl::cellDoubleClicked, this, [this](int, int) { editSet(); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CStageView::updateButtons);
    layout->addWidget(list_);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(8);
    const auto makeButton = [this, buttonRow](const char* text, const char* name) {
        auto* button = new COrvendaButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        // As wide as the form made them, or as the text needs in the font
        // in use.
        button->setFixedSize(std::max(scaled(96, scale_), button->sizeHint().width()),
                             scaled(26, scale_));
        buttonRow->addWidget(button);
        return button;
    };
    edit_ = makeButton("Edit Set", "editSetButton");
    delete_ = makeButton("Delete", "deleteButton");
    insertAbove_ = makeButton("Insert Above", "insertAboveButton");
    insertBelow_ = makeButton("Insert Below", "insertBelowButton");
    connect(edit_, &QPushButton::clicked, this, &CStageView::editSet);
    connect(delete_, &QPushButton::clicked, this, &CStageView::deleteSet);
    connect(insertAbove_, &QPushButton::clicked, this, &CStageView::insertAbove);
    connect(insertBelow_, &QPushButton::clicked, this, &CStageView::insertBelow);
    buttonRow->addStretch(1);
    totalTimeLabel_ = new QLabel(this);
    buttonRow->addWidget(totalTimeLabel_);
    totalTime_ = readOnlyField(this, scaled(80, scale_));
    totalTime_->setObjectName(QStringLiteral("totalTime"));
    buttonRow->addWidget(totalTime_);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(new QLabel(QStringLiteral("Used Memory (%)"), this));
    usedMemory_ = readOnlyField(this, scaled(52, scale_));
    usedMemory_->setObjectName(QStringLiteral("usedMemory"));
    buttonRow->addWidget(usedMemory_);
    layout->addLayout(buttonRow);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->setSpacing(8);
    auto* repeatsLabel = new QLabel(QStringLiteral("Repeats of Entire Sequence"), this);
    fieldRow->addWidget(repeatsLabel);
    repeats_ = new QLineEdit(this);
    repeatsLabel->setBuddy(repeats_);
    repeats_->setObjectName(QStringLiteral("repeats"));
    repeats_->setFixedWidth(scaled(56, scale_));
    repeats_->setAlignment(Qt::AlignRight);
    fieldRow->addWidget(repeats_);
    fieldRow->addSpacing(12);
    auto* testNameLabel = new QLabel(QStringLiteral("Current Test Name and Number"), this);
    fieldRow->addWidget(testNameLabel);
    testName_ = new QLineEdit(this);
    testNameLabel->setBuddy(testName_);
    testName_->setObjectName(QStringLiteral("testName"));
    // The device keeps no more; typing or pasting stops at the limit.
    testName_->setMaxLength(static_cast<int>(kMaxTestNameLength));
    testName_->setFixedWidth(scaled(170, scale_));
    fieldRow->addWidget(testName_);
    testNumber_ = readOnlyField(this, scaled(48, scale_));
    testNumber_->setObjectName(QStringLiteral("testNumber"));
    fieldRow->addWidget(testNumber_);
    fieldRow->addSpacing(12);
    homing_ = new QCheckBox(QStringLiteral("Disable Homing"), this);
    homing_->setObjectName(QStringLiteral("disableHoming"));
    // Retains its place while hidden, so the row does not jump when device
    // detection reveals it.
    QSizePolicy keepPlace = homing_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    homing_->setSizePolicy(keepPlace);
    homing_->hide();
    fieldRow->addWidget(homing_);
    fieldRow->addStretch(1);
    // A positioning offset the form has always carried; it has no function
    // and stays hidden and disabled.
    offsetLabel_ = new QLabel(QStringLiteral("Offset (mm)"), this);
    offset_ = new QLineEdit(this);
    offset_->setObjectName(QStringLiteral("offset"));
    offset_->setFixedWidth(scaled(56, scale_));
    offsetHelp_ = new QPushButton(QStringLiteral("?"), this);
    offsetHelp_->setFixedWidth(scaled(24, scale_));
    for (QWidget* widget : {static_cast<QWidget*>(offsetLabel_), static_cast<QWidget*>(offset_),
                            static_cast<QWidget*>(offsetHelp_)}) {
        widget->setEnabled(false);
        widget->hide();
        fieldRow->addWidget(widget);
    }
    layout->addLayout(fieldRow);

    pane_ = new QPlainTextEdit(splitter_);
    pane_->setObjectName(QStringLiteral("messagePane"));
    pane_->setReadOnly(true);
    pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane_->setMinimumHeight(3 * pane_->fontMetrics().lineSpacing());
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);

    connect(repeats_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_.repeatText = toCore(text);
        model_.takeRepeatCountFromField();
        showTotals();
    });
    // The name is kept as it is typed: a command from the menu does not
    // take the focus away from the field first.
    connect(testName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.testName = toCore(text); });
    connect(homing_, &QCheckBox::clicked, this, &CStageView::homingClicked);
}

void CStageView::setListColumns() {
    const auto& columns = sequenceListColumns();
    std::array<int, kSequenceListColumnCount> widths{};
    for (std::size_t column = 0; column < widths.size(); ++column) {
        widths[column] = scaled(columns[column].width, scale_);
    }
    list_->setColumns(
        fromCore(cFormat(kColumnsFormat, widths[0], widths[1], widths[2], widths[3], widths[4],
                         widths[5], widths[6], widths[7], widths[8], widths[9], widths[10],
                         widths[11], widths[12], widths[13], widths[14])));
    // The widths above were made for one small font; the font in use may be
    // wider. Every value a set within the limits can show fits in full, and
    // numbers line up on the right.
    int total = 2 * list_->frameWidth();
    for (std::size_t index = 0; index < kSequenceListColumnCount; ++index) {
        const auto column = static_cast<SequenceListColumn>(index);
        QStringList texts;
        for (const std::string& text : sequenceListWidestTexts(column)) {
            texts << fromCore(text);
        }
        list_->fitColumnToTexts(static_cast<int>(index), texts);
        if (column != SequenceListColumn::Name && column != SequenceListColumn::Magnitude) {
            list_->setColumnAlignment(static_cast<int>(index), Qt::AlignRight);
        }
        total += list_->columnWidth(static_cast<int>(index));
    }
    // The whole list shows without scrolling: the window grows with it.
    list_->setMinimumWidth(total);
}

void CStageView::refreshFromModel() {
    const DisabledWells wells = document_.disabledWells();
    if (model_.workingSequence != shownSequence_ || wells.flags != shownWells_.flags) {
        const int row = selectedRow();
        rebuildList();
        if (row >= 0 && row < list_->itemCount()) {
            selectRow(row);
        }
    } else {
        showTotals();
    }
    const QString repeats = fromCore(model_.repeatText);
    if (repeats_->text() != repeats) {
        repeats_->setText(repeats);
    }
    const QString name = fromCore(model_.testName);
    if (testName_->text() != name) {
        testName_->setText(name);
    }
    testNumber_->setText(fromCore(model_.testNumber));
    homing_->setVisible(model_.homingBoxVisible);
    homing_->setChecked(model_.homingDisabled);
    deviceLine_->setText(fromCore(model_.deviceText));
    showMessagePane();
    updateButtons();
}

void CStageView::rebuildList() {
    const DisabledWells wells = document_.disabledWells();
    const WellDisabledChecks disabled = disabledWellChecks(wells);
    list_->deleteAllItems();
    for (int row = 0; row < model_.workingSequence.setCount(); ++row) {
        list_->insertItem(row, QString());
        fillRow(row, disabled);
    }
    shownSequence_ = model_.workingSequence;
    shownWells_ = wells;
    totalTimeLabel_->setText(QString::fromLatin1(kTotalTimeLabel));
    showTotals();
    updateButtons();
}

void CStageView::fillRow(int row, const WellDisabledChecks& disabled) {
    const std::vector<std::string> cells =
        sequenceListRowTexts(model_.workingSequence, row, disabled);
    for (std::size_t column = 0; column < cells.size(); ++column) {
        list_->setItemText(row, static_cast<int>(column), fromCore(cells[column]));
    }
}

void CStageView::showTotals() {
    totalTime_->setText(fromCore(model_.totalTimeText()));
    usedMemory_->setText(fromCore(model_.usedMemoryText()));
    emit sequenceShown();
}

void CStageView::setPreview(QWidget* preview, int stretch) {
    splitter_->insertWidget(1, preview);
    splitter_->setCollapsible(1, true);
    splitter_->setStretchFactor(1, stretch);
}

void CStageView::appendLogText(const std::string& text) {
    model_.appendMessage(text);
    showMessagePane();
}

void CStageView::showMessagePane() {
    const std::string& text = model_.messagePane;
    const bool grew =
        text.size() >= paneShown_.size() && text.compare(0, paneShown_.size(), paneShown_) == 0;
    if (grew && text.size() == paneShown_.size()) {
        return;
    }
    if (grew) {
        QTextCursor end(pane_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(paneText(std::string_view(text).substr(paneShown_.size())));
    } else {
        pane_->setPlainText(paneText(text));
    }
    paneShown_ = text;
    // The newest lines stay in view.
    pane_->verticalScrollBar()->setValue(pane_->verticalScrollBar()->maximum());
}

void CStageView::updateButtons() {
    const bool ready = document_.deviceReady();
    // Edit Set and Delete work on the selected row: without one they would
    // do nothing.
    const bool selected = selectedRow() >= 0;
    edit_->setEnabled(ready && selected);
    delete_->setEnabled(selected);
    insertAbove_->setEnabled(ready);
    insertBelow_->setEnabled(ready);
}

int CStageView::selectedRow() const {
    const QList<int> rows = list_->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst();
}

void CStageView::selectRow(int row) {
    list_->clearSelection();
    list_->setItemState(row, CReportCtrl::kStateSelected | CReportCtrl::kStateFocused,
                        CReportCtrl::kStateSelected | CReportCtrl::kStateFocused);
}

SetLimitsHardware CStageView::editorHardware() const {
    const DeviceSnapshot device = document_.deviceSnapshot();
    SetLimitsHardware hardware;
    hardware.hardwareType = device.hardwareType;
    hardware.fullScaleLoad = device.fullScaleLoad[0];
    // The editor's check asks the device itself, on a worker that holds the
    // link.
    hardware.link = document_.connected() ? &document_.link() : nullptr;
    if (device.umPerUstep[0] > 0.0) {
        hardware.umPerMicrostep = device.umPerUstep[0];
    }
    return hardware;
}

void CStageView::editSet() {
    if (!document_.deviceReady()) {
        return;
    }
    const int row = selectedRow();
    const SetRecord* selected = model_.workingSequence.setAt(row);
    if (selected == nullptr) {
        return;
    }
    SetRecord edited = *selected;
    const DisabledWells before = document_.disabledWells();
    DisabledWells wells = before;
    const bool accepted = setEditor_(this, edited, editorHardware(), wells, boxes_);
    // The editor's "Disable Wells" button stores its choice at once, OK or not.
    if (wells.flags != before.flags || wells.mask != before.mask) {
        document_.setDisabledWells(wells);
    }
    // The row may have gone while the editor was open (a read-back).
    if (accepted && model_.workingSequence.hasSet(row)) {
        model_.workingSequence.sets[static_cast<std::size_t>(row)] = edited;
    }
    refreshFromModel();
    if (row < list_->itemCount()) {
        selectRow(row);
    }
}

void CStageView::deleteSet() {
    const int row = selectedRow();
    if (!model_.removeSet(row)) {
        return;
    }
    rebuildList();
}

void CStageView::insertAbove() {
    insertSet(false);
}

void CStageView::insertBelow() {
    insertSet(true);
}

void CStageView::insertSet(bool below) {
    if (!document_.deviceReady()) {
        return;
    }
    if (list_->itemCount() == kMaximumSets) {
        boxes_.show(this, QString::fromLatin1(kApplicationName),
                    QString::fromLatin1(kMaximumSetsMessage), QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    int inserted = 0;
    const int row = selectedRow();
    const auto result =
        below ? model_.insertBelow(row, &inserted) : model_.insertAbove(row, &inserted);
    if (result != SequenceViewModel::InsertResult::Inserted) {
        return;
    }
    rebuildList();
    selectRow(inserted);
}

int CStageView::checkSequence() {
    const int result = checkSequenceBeforeProgramming(model_, document_, host_);
    refreshFromModel();
    return result;
}

void CStageView::homingClicked(bool checked) {
    model_.homingDisabled = checked;
    if (checked) {
        boxes_.show(this, QString::fromLatin1(kHomingCaption), QString::fromLatin1(kHomingWarning),
                    QMessageBox::Warning, QMessageBox::Ok);
    }
}

bool CStageView::runSetParamEditor(QWidget* parent, SetRecord& set,
                                   const SetLimitsHardware& hardware, DisabledWells& wells,
                                   MessageBoxes& boxes) {
    CSetParamEditor editor(set, hardware, wells, boxes, parent);
    return editor.exec() == QDialog::Accepted;
}

void CStageView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        emit firstShown();
    }
}

bool CStageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSet();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kyrvana::gui
