#include "gui/hardware/move_to_size_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"
#include "core/hardware/actuator_arithmetic.h"
#include "core/hardware/with_open_port.h"
#include "gui/app/device_task_runner.h"
#include "gui/app/display_scale.h"
#include "gui/app/failure_sentence.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/read_only_field.h"

namespace kyrvana::gui {
namespace {

constexpr int kJogButtonSide = 28;
// The icons are this much smaller than the button they sit in.
constexpr int kIconMargin = 4;

// An arrow for a jog button: up for the first button of a well (direction 0),
// down for the second; a pressed button shows it darker and a little lower.
QIcon arrowIcon(int side, bool down, bool pressed) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pressed ? QColor(20, 20, 20) : QColor(90, 90, 90));
    const double inset = side * 0.2;
    const double shift = pressed ? 1.0 : 0.0;
    const double top = inset + shift;
    const double bottom = side - inset + shift;
    QPainterPath arrow;
    if (down) {
        arrow.moveTo(inset, top);
        arrow.lineTo(side - inset, top);
        arrow.lineTo(side / 2.0, bottom);
    } else {
        arrow.moveTo(side / 2.0, top);
        arrow.lineTo(side - inset, bottom);
        arrow.lineTo(inset, bottom);
    }
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return QIcon(pixmap);
}

QString numberText(double value) {
    // Adding 0.0 shows a position of -0 as 0.
    const std::string text = strippedNumberText(value + 0.0);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* readOnlyEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    makeReadOnly(edit);
    return edit;
}

}  // namespace

CMoveToSizeDlg::CMoveToSizeDlg(DeviceLink& link, QWidget* parent)
    : QDialog(parent), link_(link), runner_(new DeviceTaskRunner(this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildLayout();
    connect(runner_, &DeviceTaskRunner::busyChanged, this, [this](bool isBusy) {
        updateEnabled();
        emit busyChanged(isBusy);
    });

    // The model decides which way a positive amount moves (known since the
    // device connected).
    amountLabel_->setText(QString::fromLatin1(
        link_.Snapshot().hardwareType == kRetractingHardwareType ? kRetractLabel : kExtendLabel));
    assignMnemonics(this);

    auto readings = std::make_shared<WellReadings>();
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, readings, result] {
            // A well that cannot be read keeps showing 0; the status line
            // says why.
            *result = withOpenPort(device, [&device, &readings] {
                // Sixty-six queries: a silent device costs one read time-out
                // instead of one per query.
                const auto operation = device.BeginOperation();
                DeviceResult first = readLoadCellZeros(device);
                return first.keepFirstFailure(refreshAllWells(device, *readings));
            });
        },
        [this, readings, result] {
            readings_ = *readings;
            showReadings();
            showFailure(*result);
        });
}

CMoveToSizeDlg::~CMoveToSizeDlg() {
    // Nor must a move run on unwatched: the wells halt where they are.
    if (moveStop_) {
        moveStop_->request();
    }
    // An actuator must not keep moving because its dialog went away while a
    // jog button was held: the stop still goes out.
    if (jogWell_ != -1) {
        disconnect(runner_, nullptr, this, nullptr);
        const int well = jogWell_;
        DeviceLink& device = link_;
        runner_->run([&device, well] {
            WellReading ignored;
            (void)stopJog(device, well, ignored);
        });
    }
    runner_->shutDown(true);
}

void CMoveToSizeDlg::buildLayout() {
    const double scale = displayScale(*this);
    const int side = static_cast<int>(kJogButtonSide * scale);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    amountLabel_ = new QLabel(this);
    amountLabel_->setObjectName(QStringLiteral("amountLabel"));
    grid->addWidget(amountLabel_, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Current"), this), 0, 4, 1, 4, Qt::AlignHCenter);
    for (int well = 0; well < kWells; ++well) {
        const int row = well + 1;
        const std::size_t at = index(well);
        // Alt and the well's number go to its amount.
        auto* wellLabel = new QLabel(QStringLiteral("Well &%1").arg(well + 1), this);
        grid->addWidget(wellLabel, row, 0);
        amountEdits_[at] = new QLineEdit(QStringLiteral("0"), this);
        wellLabel->setBuddy(amountEdits_[at]);
        amountEdits_[at]->setObjectName(QStringLiteral("amount%1").arg(well + 1));
        grid->addWidget(amountEdits_[at], row, 1);
        for (int second = 0; second < 2; ++second) {
            auto* button = new COrvendaButton(this);
            button->setObjectName(QStringLiteral("jog%1%2").arg(well + 1).arg(second ? "b" : "a"));
            button->setFixedSize(side, side);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::NoFocus);
            button->installEventFilter(this);
            jogButtons_[at * 2 + static_cast<std::size_t>(second)] = button;
            grid->addWidget(button, row, 2 + second);
        }
        positionEdits_[at] = readOnlyEdit(this, QStringLiteral("position%1").arg(well + 1));
        forceEdits_[at] = readOnlyEdit(this, QStringLiteral("force%1").arg(well + 1));
        grid->addWidget(positionEdits_[at], row, 4);
        grid->addWidget(new QLabel(QStringLiteral("(mm)"), this), row, 5);
        grid->addWidget(forceEdits_[at], row, 6);
        grid->addWidget(new QLabel(QStringLiteral("(N)"), this), row, 7);
    }
    layout->addLayout(grid);

    // Icons as tall as the first jog button less a small margin.
    const int iconSide = std::max(8, jogButtons_[0]->height() - kIconMargin);
    jogIcons_ = {arrowIcon(iconSide, false, false), arrowIcon(iconSide, false, true),
                 arrowIcon(iconSide, true, false), arrowIcon(iconSide, true, true)};
    for (COrvendaButton* button : jogButtons_) {
        button->setIconSize(QSize(iconSide, iconSide));
    }
    setJogIcons(-1);

    auto* buttons = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setWordWrap(true);
    buttons->addWidget(status_, 1);
    stopButton_ = new COrvendaButton(QStringLiteral("Stop"), this);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    stopButton_->setAutoDefault(false);
    buttons->addWidget(stopButton_);
    applyButton_ = new COrvendaButton(QStringLiteral("Apply"), this);
    applyButton_->setObjectName(QStringLiteral("applyButton"));
    applyButton_->setDefault(true);
    doneButton_ = new COrvendaButton(QStringLiteral("Done"), this);
    doneButton_->setObjectName(QStringLiteral("doneButton"));
    doneButton_->setAutoDefault(false);
    buttons->addWidget(applyButton_);
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(applyButton_, &QPushButton::clicked, this, &CMoveToSizeDlg::apply);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(stopButton_, &QPushButton::clicked, this, &CMoveToSizeDlg::stopMove);
}

bool CMoveToSizeDlg::busy() const {
    return runner_->busy() || jogWell_ != -1;
}

void CMoveToSizeDlg::updateEnabled() {
    const bool working = runner_->busy();
    for (QLineEdit* edit : amountEdits_) {
        edit->setEnabled(!working);
    }
    for (std::size_t i = 0; i < jogButtons_.size(); ++i) {
        // The held button stays enabled, or its release would be lost.
        jogButtons_[i]->setEnabled(!working || static_cast<int>(i) == heldButton_);
    }
    applyButton_->setEnabled(!working);
    doneButton_->setEnabled(!working && jogWell_ == -1);
    // One press is enough: a stop already asked for is not asked again.
    stopButton_->setEnabled(working && moveStop_ && !moveStop_->requested());
    if (working && heldButton_ == -1) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void CMoveToSizeDlg::showReadings() {
    for (int well = 0; well < kWells; ++well) {
        positionEdits_[index(well)]->setText(numberText(readings_[index(well)].positionMm));
        forceEdits_[index(well)]->setText(numberText(readings_[index(well)].forceN));
    }
}

void CMoveToSizeDlg::showPositions(const WellReadings& readings) {
    for (std::size_t well = 0; well < readings.size(); ++well) {
        readings_[well].positionMm = readings[well].positionMm;
        positionEdits_[well]->setText(numberText(readings[well].positionMm));
    }
}

void CMoveToSizeDlg::showFailure(const DeviceResult& result) {
    if (!result) {
        status_->setText(failureSentence(result));
    }
}

void CMoveToSizeDlg::setJogIcons(int pressedButton) {
    for (std::size_t i = 0; i < jogButtons_.size(); ++i) {
        const std::size_t second = i % 2;
        const bool pressed = static_cast<int>(i) == pressedButton;
        jogButtons_[i]->setIcon(jogIcons_[second * 2 + (pressed ? 1 : 0)]);
        jogButtons_[i]->repaint();
    }
}

void CMoveToSizeDlg::apply() {
    if (busy()) {
        return;
    }
    std::array<double, kWells> amounts{};
    for (std::size_t well = 0; well < amounts.size(); ++well) {
        // Empty text is 0, as atof reads it.
        amounts[well] = cAtof(amountEdits_[well]->text().toLatin1().toStdString());
    }
    if (std::all_of(amounts.begin(), amounts.end(), [](double amount) { return amount == 0.0; })) {
        status_->setText(QString::fromLatin1(kNothingToMoveStatus));
        return;
    }
    for (QLineEdit* edit : amountEdits_) {
        edit->setText(QStringLiteral("0"));
    }
    status_->setText(QString::fromLatin1(kMovingStatus));
    moveStop_ = std::make_shared<StopSignal>();
    auto readings = std::make_shared<WellReadings>(readings_);
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    DeviceTaskRunner& runner = *runner_;
    MoveWatch watch;
    watch.pollInterval = kPollInterval;
    watch.stop = moveStop_;
    watch.positions = [this, &runner](const WellReadings& now) {
        runner.post([this, now] { showPositions(now); });
    };
    runner_->run(
        [&device, amounts, readings, result, watch] {
            *result = withOpenPort(
                device, [&] { return moveWellsWatched(device, amounts, *readings, watch); });
        },
        [this, readings, result] { moveFinished(*result, *readings); });
    updateEnabled();
    // Space stops the wells while they go; the focus returns to Apply after.
    stopButton_->setFocus(Qt::OtherFocusReason);
}

void CMoveToSizeDlg::moveFinished(const DeviceResult& result, const WellReadings& readings) {
    moveStop_.reset();
    readings_ = readings;
    showReadings();
    if (result.why() == DeviceFailure::Cancelled) {
        status_->setText(QString::fromLatin1(kHaltedStatus));
    } else if (result) {
        status_->setText(QString::fromLatin1(kArrivedStatus));
    } else {
        showFailure(result);
    }
}

void CMoveToSizeDlg::stopMove() {
    if (!moveStop_ || moveStop_->requested()) {
        return;
    }
    moveStop_->request();
    status_->setText(QString::fromLatin1(kStoppingStatus));
    updateEnabled();
}

void CMoveToSizeDlg::pressJog(int button) {
    if (busy()) {
        return;
    }
    heldButton_ = button;
    jogWell_ = button / 2;
    setJogIcons(button);
    const int well = jogWell_;
    const auto direction = static_cast<std::uint8_t>(button % 2);
    DeviceLink& device = link_;
    auto result = std::make_shared<DeviceResult>();
    runner_->run(
        [&device, well, direction, result] {
            *result = withOpenPort(device, [&] { return startJog(device, well, direction); });
        },
        [this, result] { showFailure(*result); });
    status_->clear();
    updateEnabled();
}

void CMoveToSizeDlg::releaseJog() {
    if (jogWell_ == -1) {
        return;
    }
    const int well = jogWell_;
    jogWell_ = -1;
    heldButton_ = -1;
    setJogIcons(-1);
    auto reading = std::make_shared<WellReading>(readings_[index(well)]);
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, well, reading, result] {
            *result = withOpenPort(device, [&] { return stopJog(device, well, *reading); });
        },
        [this, well, reading, result] {
            readings_[index(well)] = *reading;
            showReadings();
            showFailure(*result);
        });
    updateEnabled();
}

bool CMoveToSizeDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (type == QEvent::MouseButtonRelease) {
                releaseJog();
            } else {
                for (std::size_t i = 0; i < jogButtons_.size(); ++i) {
                    if (jogButtons_[i] == watched) {
                        pressJog(static_cast<int>(i));
                    }
                }
            }
        }
    }
    // The button still gets the event and shows itself pressed or released.
    return QDialog::eventFilter(watched, event);
}

void CMoveToSizeDlg::done(int result) {
    if (busy()) {
        return;
    }
    QDialog::done(result);
}

}  // namespace kyrvana::gui
