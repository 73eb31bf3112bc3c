#include "gui/editor/set_param_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <memory>

#include "gui/app/app_identity.h"
#include "gui/app/device_task_runner.h"
#include "gui/app/latin1_text.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/orvenda_button.h"
#include "gui/hardware/disable_wells_dlg.h"

namespace kyrvana::gui {
namespace {

constexpr int kNumberFieldWidth = 64;
constexpr int kDurationFieldWidth = 90;

template <std::size_t N>
void fillCombo(QComboBox* combo, const std::array<std::string_view, N>& choices) {
    for (const std::string_view choice : choices) {
        combo->addItem(fromCore(choice));
    }
}

// Selects the entry with exactly this text; a text the combo does not hold
// leaves it without a selection.
void selectText(QComboBox* combo, const std::string& text) {
    combo->setCurrentIndex(combo->findText(fromCore(text), Qt::MatchExactly));
}

// The selected entry's text, or `fallback` when none is selected.
std::string selectedText(const QComboBox* combo, const std::string& fallback) {
    return combo->currentIndex() < 0 ? fallback : toCore(combo->currentText());
}

QLabel* buddyLabel(const char* text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setBuddy(field);
    return label;
}

QLineEdit* numberField(QWidget* parent, int width) {
    auto* field = new QLineEdit(parent);
    field->setFixedWidth(width);
    field->setAlignment(Qt::AlignRight);
    return field;
}

// Hidden wells keep their place, so the dialog does not change shape when
// "Customize Each Well" is clicked.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace

CSetParamEditor::CSetParamEditor(SetRecord& set, const SetLimitsHardware& hardware,
                                 DisabledWells& wells, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent),
      set_(set),
      hardware_(hardware),
      wells_(wells),
      boxes_(boxes),
      runner_(new DeviceTaskRunner(this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildWidgets();

    const int hardwareType = hardware_.hardwareType;
    loadLabel_->setText(fromCore(kyrvana::loadDurationLabel(hardwareType)));
    doNotDeform_->setText(fromCore(kyrvana::doNotDeformLabel(hardwareType)));

    opened_ = openingFields(set_);
    const SetEditorFields& shown = opened_;
    setFields(shown);
    modeChanged(mode_->currentIndex());
    load_->setEnabled(!shown.doNotDeform);
    recovery_->setEnabled(!shown.doNotRecover);
    showWells(shown.customizeEachWell);
    updateWellEnabling(shown);
    assignMnemonics(this);
}

CSetParamEditor::~CSetParamEditor() {
    // The check's answer must not come back to a dialog half torn down.
    runner_->shutDown();
}

void CSetParamEditor::buildWidgets() {
    auto* outer = new QVBoxLayout(this);
    content_ = new QWidget(this);
    outer->addWidget(content_);
    auto* columns = new QHBoxLayout(content_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(18);

    // Left: what the set is and how much it moves each well.
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    auto* top = new QGridLayout;
    top->setHorizontalSpacing(8);
    name_ = new QLineEdit(content_);
    top->addWidget(buddyLabel("Set name", name_, content_), 0, 0);
    name_->setFixedWidth(150);
    top->addWidget(name_, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("(Max. 15 char)"), content_), 0, 2);
    mode_ = new QComboBox(content_);
    top->addWidget(buddyLabel("Control Mode", mode_, content_), 1, 0);
    fillCombo(mode_, kControlModeChoices);
    mode_->setFixedWidth(150);
    top->addWidget(mode_, 1, 1);
    waveform_ = new QComboBox(content_);
    top->addWidget(buddyLabel("Waveform", waveform_, content_), 2, 0);
    fillCombo(waveform_, kWaveformChoices);
    waveform_->setFixedWidth(150);
    top->addWidget(waveform_, 2, 1);
    top->setColumnStretch(3, 1);
    left->addLayout(top);

    auto* magnitudeFrame = new QGroupBox(content_);
    auto* magnitudeLayout = new QGridLayout(magnitudeFrame);
    magnitudeLabel_ = new QLabel(magnitudeFrame);
    magnitudeLabel_->setObjectName(QStringLiteral("magnitudeLabel"));
    QFont bold = magnitudeLabel_->font();
    bold.setBold(true);
    magnitudeLabel_->setFont(bold);
    magnitudeLayout->addWidget(magnitudeLabel_, 0, 0, 1, kWellCount);
    for (int well = 0; well < kWellCount; ++well) {
        const auto index = static_cast<std::size_t>(well);
        magnitudeWell_[index] = new QLabel(QStringLiteral("Well%1 ").arg(well + 1), magnitudeFrame);
        magnitude_[index] = numberField(magnitudeFrame, kNumberFieldWidth);
        magnitude_[index]->setObjectName(QStringLiteral("magnitude%1").arg(well + 1));
        keepPlaceWhenHidden(magnitudeWell_[index]);
        keepPlaceWhenHidden(magnitude_[index]);
        magnitudeLayout->addWidget(magnitudeWell_[index], 1, well);
        magnitudeLayout->addWidget(magnitude_[index], 2, well);
    }
    auto* customizeRow = new QHBoxLayout;
    customize_ = new QCheckBox(QString::fromLatin1(kCustomizeText), magnitudeFrame);
    customizeRow->addWidget(customize_);
    customizeRow->addStretch(1);
    disableWells_ = new COrvendaButton(QString::fromLatin1(kDisableWellsText), magnitudeFrame);
    disableWells_->setFixedSize(76, 46);
    keepPlaceWhenHidden(disableWells_);
    // The title leads to well 1, the first of the row under it.
    magnitudeLabel_->setBuddy(magnitude_[0]);
    customizeRow->addWidget(disableWells_);
    magnitudeLayout->addLayout(customizeRow, 3, 0, 1, kWellCount);
    left->addWidget(magnitudeFrame);

    preloadGroup_ = new QGroupBox(QString::fromLatin1(kPreloadGroupTitle), content_);
    auto* preloadLayout = new QGridLayout(preloadGroup_);
    for (int well = 0; well < kWellCount; ++well) {
        const auto index = static_cast<std::size_t>(well);
        preloadWell_[index] = new QLabel(QStringLiteral("Well%1 ").arg(well + 1), preloadGroup_);
        preload_[index] = numberField(preloadGroup_, kNumberFieldWidth);
        preload_[index]->setObjectName(QStringLiteral("preload%1").arg(well + 1));
        keepPlaceWhenHidden(preloadWell_[index]);
        keepPlaceWhenHidden(preload_[index]);
        preloadLayout->addWidget(preloadWell_[index], 0, well);
        preloadLayout->addWidget(preload_[index], 1, well);
    }
    preloadChoices_ = new QButtonGroup(this);
    for (int choice = 0; choice < 3; ++choice) {
        auto* radio = new QRadioButton(QString::fromLatin1(kPreloadChoices[choice]), preloadGroup_);
        preloadChoices_->addButton(radio, choice);
        preloadLayout->addWidget(radio, 2 + choice, 0, 1, kWellCount);
    }
    left->addWidget(preloadGroup_);
    left->addStretch(1);
    columns->addLayout(left);

    // Right: the phases of one repetition and the data rate.
    auto* right = new QGridLayout;
    right->setHorizontalSpacing(8);
    right->setVerticalSpacing(10);
    int row = 0;
    timeUnits_ = new QComboBox(content_);
    right->addWidget(buddyLabel("Time Units", timeUnits_, content_), row, 0);
    fillCombo(timeUnits_, kTimeUnitChoices);
    timeUnits_->setFixedWidth(kDurationFieldWidth);
    right->addWidget(timeUnits_, row++, 1);
    loadLabel_ = new QLabel(content_);
    right->addWidget(loadLabel_, row, 0);
    load_ = numberField(content_, kDurationFieldWidth);
    load_->setObjectName(QStringLiteral("loadDuration"));
    loadLabel_->setBuddy(load_);
    right->addWidget(load_, row, 1);
    doNotDeform_ = new QCheckBox(content_);
    right->addWidget(doNotDeform_, row++, 2);
    hold_ = numberField(content_, kDurationFieldWidth);
    right->addWidget(buddyLabel("Hold Duration", hold_, content_), row, 0);
    right->addWidget(hold_, row++, 1);
    recovery_ = numberField(content_, kDurationFieldWidth);
    right->addWidget(buddyLabel("Recovery Duration", recovery_, content_), row, 0);
    recovery_->setObjectName(QStringLiteral("recoveryDuration"));
    right->addWidget(recovery_, row, 1);
    doNotRecover_ = new QCheckBox(QStringLiteral("Do Not Recover"), content_);
    right->addWidget(doNotRecover_, row++, 2);
    rest_ = numberField(content_, kDurationFieldWidth);
    right->addWidget(buddyLabel("Rest Duration ", rest_, content_), row, 0);
    right->addWidget(rest_, row++, 1);
    repetitions_ = numberField(content_, kDurationFieldWidth);
    right->addWidget(buddyLabel("Repetitions", repetitions_, content_), row, 0);
    right->addWidget(repetitions_, row++, 1);
    frequency_ = new QComboBox(content_);
    right->addWidget(buddyLabel("Data Output\nFrequency (Hz)", frequency_, content_), row, 0);
    fillCombo(frequency_, kDataFrequencyChoices);
    frequency_->setFixedWidth(kDurationFieldWidth);
    right->addWidget(frequency_, row++, 1);
    right->setRowStretch(row, 1);
    columns->addLayout(right);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    outer->addWidget(buttons_);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons_, &QDialogButtonBox::accepted, this, &CSetParamEditor::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CSetParamEditor::reject);
    connect(mode_, &QComboBox::currentIndexChanged, this, &CSetParamEditor::modeChanged);
    connect(doNotDeform_, &QCheckBox::clicked, this, &CSetParamEditor::doNotDeformClicked);
    connect(doNotRecover_, &QCheckBox::clicked, this, &CSetParamEditor::doNotRecoverClicked);
    connect(customize_, &QCheckBox::clicked, this, &CSetParamEditor::customizeClicked);
    connect(disableWells_, &QPushButton::clicked, this, &CSetParamEditor::disableWellsClicked);
}

QLineEdit* CSetParamEditor::magnitudeEdit(int well) const {
    return well >= 1 && well <= kWellCount ? magnitude_[static_cast<std::size_t>(well - 1)]
                                           : nullptr;
}

QLineEdit* CSetParamEditor::preloadEdit(int well) const {
    return well >= 1 && well <= kWellCount ? preload_[static_cast<std::size_t>(well - 1)] : nullptr;
}

QLabel* CSetParamEditor::magnitudeWellLabel(int well) const {
    return well >= 1 && well <= kWellCount ? magnitudeWell_[static_cast<std::size_t>(well - 1)]
                                           : nullptr;
}

QRadioButton* CSetParamEditor::preloadChoice(int index) const {
    return qobject_cast<QRadioButton*>(preloadChoices_->button(index));
}

SetEditorFields CSetParamEditor::fields() const {
    SetEditorFields fields;
    fields.name = toCore(name_->text());
    fields.modeIndex = mode_->currentIndex() < 0 ? opened_.modeIndex : mode_->currentIndex();
    fields.waveformText = selectedText(waveform_, opened_.waveformText);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        fields.magnitudeText[well] = toCore(magnitude_[well]->text());
        fields.preloadText[well] = toCore(preload_[well]->text());
    }
    fields.customizeEachWell = customize_->isChecked();
    fields.preloadIndex =
        preloadChoices_->checkedId() < 0 ? opened_.preloadIndex : preloadChoices_->checkedId();
    fields.timeUnitsWord = selectedText(timeUnits_, opened_.timeUnitsWord);
    fields.loadDurationText = toCore(load_->text());
    fields.holdDurationText = toCore(hold_->text());
    fields.recoveryDurationText = toCore(recovery_->text());
    fields.restDurationText = toCore(rest_->text());
    fields.doNotDeform = doNotDeform_->isChecked();
    fields.doNotRecover = doNotRecover_->isChecked();
    fields.repetitionsText = toCore(repetitions_->text());
    fields.frequencyText = selectedText(frequency_, opened_.frequencyText);
    return fields;
}

void CSetParamEditor::setFields(const SetEditorFields& fields) {
    const QSignalBlocker quietMode(mode_);
    name_->setText(fromCore(fields.name));
    mode_->setCurrentIndex(
        fields.modeIndex >= 0 && fields.modeIndex < mode_->count() ? fields.modeIndex : -1);
    modeChanged(mode_->currentIndex());
    selectText(waveform_, fields.waveformText);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        magnitude_[well]->setText(fromCore(fields.magnitudeText[well]));
        preload_[well]->setText(fromCore(fields.preloadText[well]));
    }
    customize_->setChecked(fields.customizeEachWell);
    // A preload type the editor does not offer leaves every choice clear.
    preloadChoices_->setExclusive(false);
    for (QAbstractButton* choice : preloadChoices_->buttons()) {
        choice->setChecked(preloadChoices_->id(choice) == fields.preloadIndex);
    }
    preloadChoices_->setExclusive(true);
    selectText(timeUnits_, fields.timeUnitsWord);
    load_->setText(fromCore(fields.loadDurationText));
    hold_->setText(fromCore(fields.holdDurationText));
    recovery_->setText(fromCore(fields.recoveryDurationText));
    rest_->setText(fromCore(fields.restDurationText));
    doNotDeform_->setChecked(fields.doNotDeform);
    doNotRecover_->setChecked(fields.doNotRecover);
    repetitions_->setText(fromCore(fields.repetitionsText));
    selectText(frequency_, fields.frequencyText);
}

void CSetParamEditor::modeChanged(int index) {
    magnitudeLabel_->setText(fromCore(kyrvana::magnitudeLabel(index, hardware_.hardwareType)));
    // The new text needs its Alt-key letter again.
    assignMnemonics(this);
}

void CSetParamEditor::doNotDeformClicked(bool checked) {
    SetEditorFields current = fields();
    setDoNotDeform(current, checked);
    load_->setText(fromCore(current.loadDurationText));
    load_->setEnabled(!checked);
}

void CSetParamEditor::doNotRecoverClicked(bool checked) {
    SetEditorFields current = fields();
    setDoNotRecover(current, checked);
    recovery_->setText(fromCore(current.recoveryDurationText));
    recovery_->setEnabled(!checked);
}

void CSetParamEditor::customizeClicked(bool checked) {
    SetEditorFields current = fields();
    setCustomizeEachWell(current, checked);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        magnitude_[well]->setText(fromCore(current.magnitudeText[well]));
        preload_[well]->setText(fromCore(current.preloadText[well]));
    }
    showWells(checked);
    updateWellEnabling(current);
}

void CSetParamEditor::disableWellsClicked() {
    CDisableWellsDlg dialog(wells_, boxes_, this);
    if (dialog.exec() == QDialog::Accepted) {
        updateWellEnabling(fields());
    }
}

void CSetParamEditor::showWells(bool customizing) {
    for (std::size_t well = 1; well < kWellCount; ++well) {
        magnitude_[well]->setVisible(customizing);
        magnitudeWell_[well]->setVisible(customizing);
        preload_[well]->setVisible(customizing);
        preloadWell_[well]->setVisible(customizing);
    }
    disableWells_->setVisible(customizing);
}

void CSetParamEditor::updateWellEnabling(const SetEditorFields& current) {
    const std::array<bool, kWellCount> enabled = wellFieldsEnabled(current, wells_);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        magnitude_[well]->setEnabled(enabled[well]);
        preload_[well]->setEnabled(enabled[well]);
    }
}

void CSetParamEditor::accept() {
    if (checking_) {
        return;
    }
    const SetEditorFields current = fields();
    if (hardware_.link == nullptr) {
        finishCheck(checkSetLimits(current, set_, hardware_));
        return;
    }
    startCheck(current);
}

void CSetParamEditor::reject() {
    // The worker must bring its answer back to an open dialog.
    if (checking_) {
        return;
    }
    QDialog::reject();
}

void CSetParamEditor::startCheck(const SetEditorFields& current) {
    // The runner remembers the focused control before the controls go off,
    // and gives the focus back once the check has ended.
    auto result = std::make_shared<SetLimitsResult>();
    runner_->run([result, current, original = set_,
                  hardware = hardware_] { *result = checkSetLimits(current, original, hardware); },
                 [this, result] { finishCheck(*result); });
    setChecking(true);
}

void CSetParamEditor::finishCheck(const SetLimitsResult& result) {
    setChecking(false);
    // A phase of no length is a phase that is not used: its box stays
    // checked, also when other checks failed.
    doNotDeform_->setChecked(result.doNotDeform);
    doNotRecover_->setChecked(result.doNotRecover);
    load_->setEnabled(!result.doNotDeform);
    recovery_->setEnabled(!result.doNotRecover);
    if (!result.passed()) {
        boxes_.show(this, QString::fromLatin1(kApplicationName), fromCore(result.text()),
                    QMessageBox::NoIcon, QMessageBox::Ok);
        emit checkFinished();
        return;
    }
    set_ = result.set;
    QDialog::accept();
    emit checkFinished();
}

void CSetParamEditor::setChecking(bool checking) {
    checking_ = checking;
    content_->setEnabled(!checking);
    buttons_->setEnabled(!checking);
    if (checking) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace kyrvana::gui
