#include "gui/hardware/load_cell_cal_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTime>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/common/shown_number.h"
#include "core/document/kyrvana_doc.h"
#include "core/hardware/load_cell_calibration.h"
#include "core/hardware/well_motion.h"
#include "core/hardware/with_open_port.h"
#include "gui/app/device_task_runner.h"
#include "gui/app/failure_sentence.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/report_ctrl.h"

namespace kyrvana::gui {
namespace {

// The records of the six wells, copied out of the link by the worker.
struct Records {
    std::array<float, kWellCount> fullScaleLoad{};
    std::array<double, kWellCount> loadCellGain{};

    void copyFrom(const DeviceLink& link) {
        fullScaleLoad = link.fullScaleLoad;
        loadCellGain = link.loadCellGain;
    }
};

// Asked before Apply overwrites what the device stores; %1 is the well.
constexpr const char* kOverwriteQuestion =
    "Save the calibration of load cell %1 to the device?\n"
    "This overwrites the full-scale load and gain stored in the device for load cell %1; "
    "the other five load cells are written back as they were read.";

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

COrvendaButton* makeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new COrvendaButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// A label; one that names a field leads to it with its Alt-key letter.
QLabel* label(const char* text, QWidget* parent, QWidget* field = nullptr) {
    auto* shown = new QLabel(QString::fromLatin1(text), parent);
    shown->setBuddy(field);
    return shown;
}

}  // namespace

CLoadCellCalDlg::CLoadCellCalDlg(DeviceLink& link, MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), link_(link), messages_(messages), runner_(new DeviceTaskRunner(this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildLayout();
    assignMnemonics(this);
    connect(runner_, &DeviceTaskRunner::busyChanged, this, &CLoadCellCalDlg::setBusy);

    auto records = std::make_shared<Records>();
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, records, result] {
            // When the records cannot be read the fields show those known
            // from the connection, and the status line says why.
            *result = withOpenPort(device, [&device] { return loadCalibration(device); });
            records->copyFrom(device);
        },
        [this, records, result] {
            fullScaleLoad_ = records->fullScaleLoad;
            loadCellGain_ = records->loadCellGain;
            showRecord();
            if (!*result) {
                status_->setText(failureSentence(*result));
            }
        });
}

CLoadCellCalDlg::~CLoadCellCalDlg() {
    runner_->shutDown();
}

void CLoadCellCalDlg::buildLayout() {
    auto* layout = new QVBoxLayout(this);

    auto* homeGroup = new QGroupBox(QStringLiteral("1. Home Motors"), this);
    auto* homeLayout = new QHBoxLayout(homeGroup);
    homeButton_ = makeButton("Home  ", "homeButton", homeGroup);
    moveButton_ = makeButton("Move To Position", "moveButton", homeGroup);
    homeLayout->addWidget(homeButton_);
    homeLayout->addWidget(moveButton_);
    homeLayout->addStretch(1);
    layout->addWidget(homeGroup);

    auto* cellGroup = new QGroupBox(QStringLiteral("1. Select Load Cell"), this);
    auto* cellLayout = new QGridLayout(cellGroup);
    cellCombo_ = new QComboBox(cellGroup);
    cellCombo_->setObjectName(QStringLiteral("cellCombo"));
    for (int well = 1; well <= kWells; ++well) {
        cellCombo_->addItem(QString::number(well));
    }
    cellCombo_->setCurrentIndex(0);
    fullScaleEdit_ = new QLineEdit(cellGroup);
    fullScaleEdit_->setObjectName(QStringLiteral("fullScaleEdit"));
    cellLayout->addWidget(cellCombo_, 0, 0);
    cellLayout->addWidget(label("c.  Enter FullScale Load (N) ", cellGroup, fullScaleEdit_), 1, 0);
    cellLayout->addWidget(fullScaleEdit_, 1, 1);
    layout->addWidget(cellGroup);

    auto* weightGroup = new QGroupBox(QStringLiteral("2.  Apply Weights"), this);
    auto* weightLayout = new QGridLayout(weightGroup);
    weightLayout->addWidget(label("For best results", weightGroup), 0, 0, 1, 3);
    weightLayout->addWidget(label("Apply at least 2 different weights", weightGroup), 1, 0, 1, 3);
    weightLayout->addWidget(label("Covering most of load cell range", weightGroup), 2, 0, 1, 3);
    weightEdit_ = new QLineEdit(weightGroup);
    weightEdit_->setObjectName(QStringLiteral("weightEdit"));
    readButton_ = makeButton("Read", "readButton", weightGroup);
    weightLayout->addWidget(label("a.  Enter Weight (g) ", weightGroup, weightEdit_), 3, 0);
    weightLayout->addWidget(weightEdit_, 3, 1);
    weightLayout->addWidget(readButton_, 3, 2);
    readings_ = new CReportCtrl(weightGroup);
    readings_->setObjectName(QStringLiteral("readingsList"));
    readings_->setColumns(QStringLiteral("Weight(g), 70;LoadCell(raw), 100"));
    // A reading is a 32-bit count; the weights are typed in grams.
    readings_->fitColumnToTexts(0, {QStringLiteral("99999.999")});
    readings_->fitColumnToTexts(1, {QStringLiteral("-2147483648")});
    readings_->setColumnAlignment(0, Qt::AlignRight);
    readings_->setColumnAlignment(1, Qt::AlignRight);
    readings_->setMinimumHeight(140);
    weightLayout->addWidget(readings_, 4, 0, 1, 2);
    clearButton_ = makeButton("Clear", "clearButton", weightGroup);
    weightLayout->addWidget(clearButton_, 4, 2, Qt::AlignTop);
    layout->addWidget(weightGroup);

    auto* computeGroup = new QGroupBox(QStringLiteral("3. Compute"), this);
    auto* computeLayout = new QGridLayout(computeGroup);
    calculateButton_ = makeButton("Calculate", "calculateButton", computeGroup);
    gainEdit_ = new QLineEdit(computeGroup);
    gainEdit_->setObjectName(QStringLiteral("gainEdit"));
    applyButton_ = makeButton("Apply", "applyButton", computeGroup);
    computeLayout->addWidget(calculateButton_, 0, 0);
    computeLayout->addWidget(label("Gain Factor (N/raw)", computeGroup, gainEdit_), 1, 0);
    computeLayout->addWidget(gainEdit_, 1, 1);
    computeLayout->addWidget(label("Save These values to Device  ", computeGroup), 2, 0);
    computeLayout->addWidget(applyButton_, 2, 1);
    computeLayout->addWidget(
        label("Note: soft limits will not be reset until after power cycle", computeGroup), 3, 0, 1,
        2);
    layout->addWidget(computeGroup);

    auto* bottom = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setWordWrap(true);
    bottom->addWidget(status_, 1);
    doneButton_ = makeButton("Done", "doneButton", this);
    bottom->addWidget(doneButton_);
    layout->addLayout(bottom);

    connect(homeButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::home);
    connect(moveButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::moveToPosition);
    connect(readButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::read);
    connect(clearButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::clearReadings);
    connect(calculateButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::calculate);
    connect(applyButton_, &QPushButton::clicked, this, &CLoadCellCalDlg::apply);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);
    // Readings of one load cell mean nothing for another.
    connect(cellCombo_, &QComboBox::currentIndexChanged, this, [this] {
        showRecord();
        clearReadings();
    });
}

bool CLoadCellCalDlg::busy() const {
    return runner_->busy();
}

int CLoadCellCalDlg::cellIndex() const {
    return std::max(0, cellCombo_->currentIndex());
}

void CLoadCellCalDlg::setBusy(bool isBusy) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             cellCombo_, weightEdit_, fullScaleEdit_, gainEdit_, readings_, homeButton_,
             moveButton_, readButton_, clearButton_, calculateButton_, applyButton_, doneButton_}) {
        control->setEnabled(!isBusy);
    }
    if (isBusy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
    emit busyChanged(isBusy);
}

void CLoadCellCalDlg::showRecord() {
    const auto well = static_cast<std::size_t>(cellIndex());
    showFullScale(shownSingle(fullScaleLoad_[well]));
    showGain(shownNumber(loadCellGain_[well]));
}

void CLoadCellCalDlg::showFullScale(const ShownNumber& shown) {
    fullScale_ = shown;
    fullScaleEdit_->setText(latin1(shown.text));
}

void CLoadCellCalDlg::showGain(const ShownNumber& shown) {
    gain_ = shown;
    gainEdit_->setText(latin1(shown.text));
}

void CLoadCellCalDlg::reportFailure(const DeviceResult& result) {
    if (result) {
        return;
    }
    status_->setText(failureSentence(result));
    if (result.why() == DeviceFailure::NoPort) {
        messages_.showError(this, QString::fromLatin1(kNotConnectedMessage));
    }
}

void CLoadCellCalDlg::runOnDevice(std::function<DeviceResult()> work,
                                  std::function<void(const DeviceResult&)> done) {
    if (busy()) {
        return;
    }
    status_->clear();
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, work = std::move(work), result] { *result = withOpenPort(device, work); },
        [this, done = std::move(done), result] {
            reportFailure(*result);
            if (done) {
                done(*result);
            }
        });
}

void CLoadCellCalDlg::home() {
    DeviceLink& device = link_;
    // The motors home by themselves; nothing is awaited.
    runOnDevice([&device] { return device.Homing(); });
}

void CLoadCellCalDlg::moveToPosition() {
    DeviceLink& device = link_;
    const int well = cellIndex();
    runOnDevice([&device, well] { return moveWellForCalibration(device, well); });
}

void CLoadCellCalDlg::read() {
    const double weight = cAtof(bytes(weightEdit_->text()));
    auto raw = std::make_shared<double>(0.0);
    DeviceLink& device = link_;
    const int well = cellIndex();
    runOnDevice(
        [&device, well, raw] {
            // A silent device costs one read time-out, not ten: the row is
            // not added anyway once a sample went unanswered.
            const auto operation = device.BeginOperation();
            return device.AverageInternalValue(well, *raw);
        },
        [this, weight, raw](const DeviceResult& result) {
            // A failed sample would put a made-up reading into the fit.
            if (!result) {
                return;
            }
            const CalibrationRow row = calibrationRow(weight, *raw);
            const int at = readings_->insertItem(readings_->itemCount(), latin1(row.weightG));
            readings_->setItemText(at, 1, latin1(row.raw));
        });
}

void CLoadCellCalDlg::clearReadings() {
    readings_->deleteAllItems();
}

void CLoadCellCalDlg::calculate() {
    std::vector<CalibrationRow> rows;
    for (int row = 0; row < readings_->itemCount(); ++row) {
        rows.push_back({bytes(readings_->itemText(row, 0)), bytes(readings_->itemText(row, 1))});
    }
    const GainFitResult result = fitGain(rows);
    if (result.fit != GainFit::Ok) {
        messages_.showError(this, QString::fromLatin1(kTooFewWeightsMessage));
        return;
    }
    // The fitted gain carries single precision: shown as such ("0.00098"),
    // while Apply takes the fitted value itself unless the text is changed.
    showGain(shownSingle(static_cast<float>(result.gain)));
}

void CLoadCellCalDlg::apply() {
    if (busy()) {
        return;
    }
    // A field left alone gives back the value it showed, not a fresh
    // reading of its text.
    const double fullScale = fieldValue(fullScale_, bytes(fullScaleEdit_->text()));
    const double gain = fieldValue(gain_, bytes(gainEdit_->text()));
    const int well = cellIndex();
    const QString question = QString::fromLatin1(kOverwriteQuestion).arg(well + 1);
    if (messages_.show(this, windowTitle(), question, QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    // Unchanged when nothing could be sent.
    auto records = std::make_shared<Records>(Records{fullScaleLoad_, loadCellGain_});
    DeviceLink& device = link_;
    runOnDevice(
        [&device, well, fullScale, gain, records] {
            DeviceResult result = applyCalibration(device, well, fullScale, gain);
            records->copyFrom(device);
            return result;
        },
        [this, well, records](const DeviceResult& result) {
            fullScaleLoad_ = records->fullScaleLoad;
            loadCellGain_ = records->loadCellGain;
            if (result) {
                status_->setText(
                    QStringLiteral("Calibration of load cell %1 saved to the device at %2.")
                        .arg(well + 1)
                        .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
            }
        });
}

void CLoadCellCalDlg::done(int result) {
    if (busy()) {
        return;
    }
    QDialog::done(result);
}

}  // namespace kyrvana::gui
