// Move to Position and Load Cell Calibration against the simulated
// stimulator. Which commands a move, a jog or a calibration sends is the
// core's (tested over the simulator there); here the window's part: the
// typed values reaching it, the values shown, jogging with the mouse held, a
// move watched and stopped from the keyboard, the controls disabled while
// the device works, and what the status line and the boxes say.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "core/common/stripped_number_text.h"
#include "core/device/device_link.h"
#include "core/hardware/actuator_arithmetic.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/report_ctrl.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"
#include "recording_message_boxes.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

using kyrvana::DeviceLink;
using kyrvana::gui::CLoadCellCalDlg;
using kyrvana::gui::CMoveToSizeDlg;
using kyrvana::gui::RecordingMessageBoxes;
using kyrvana::test_support::RunningSimulator;
using Commands = std::vector<std::string>;

namespace {

// Moves end almost at once unless a test wants to watch one.
constexpr double kFastMotors = 1e7;

kyrvana::sim::SimulatorOptions simulatorOptions(int hardwareType, double motorSpeed) {
    kyrvana::sim::SimulatorOptions options;
    options.hardwareType = hardwareType;
    options.motorSpeed = motorSpeed;
    return options;
}

// A simulator of the given model and a link to it as a connection leaves it.
struct Bench {
    explicit Bench(int hardwareType, double motorSpeed = kFastMotors)
        : device(simulatorOptions(hardwareType, motorSpeed)) {
        link.portName = device.portPath();
        link.OpenPort();
        link.serial.setReadTimeoutMs(400);
        link.hardwareType = static_cast<std::uint8_t>(hardwareType);
        link.umPerUstep.fill(0.5);
        link.PublishSnapshot();
    }

    Commands withoutPolls() {
        Commands commands = device.sim().receivedCommands();
        std::erase(commands, "GetMotorsState");
        return commands;
    }

    kyrvana::test::LogCapture log;
    RunningSimulator device;
    DeviceLink link;
    RecordingMessageBoxes boxes;
};

}  // namespace

#define WAIT_IDLE(dialog) QTRY_VERIFY_WITH_TIMEOUT(!(dialog).busy(), 15000)

class HardwareDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void applyMovesTheTypedAmountsAndSaysHowItWent_data();
    void applyMovesTheTypedAmountsAndSaysHowItWent();
    void aHeldJogButtonJogsUntilReleasedOrTheDialogGoes();
    void aMoveStartedWithEnterShowsItsWayAndStopsWithSpace();
    void calibrationShowsTheRecordsAndFitsTheGain();
    void calibrationApplyAsksThenSavesAndHomeAndMoveTalk();
    void aFailedCalibrationStepSaysWhy_data();
    void aFailedCalibrationStepSaysWhy();
};

void HardwareDialogsTest::applyMovesTheTypedAmountsAndSaysHowItWent_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("shown");
    // +1 mm at 0.5 um per step: 2000 steps, down for the Q3, up for the P7.
    QTest::newRow("P7") << 0 << QStringLiteral("Extend by relative amount (mm) :")
                        << QStringLiteral("Positioning(0,8,2000)") << QStringLiteral("-1");
    QTest::newRow("Q3") << 2 << QStringLiteral("Retract by relative amount (mm) :")
                        << QStringLiteral("Positioning(0,8,-2000)") << QStringLiteral("1");
}

void HardwareDialogsTest::applyMovesTheTypedAmountsAndSaysHowItWent() {
    QFETCH(int, type);
    QFETCH(QString, label);
    QFETCH(QString, target);
    QFETCH(QString, shown);
    Bench bench(type);
    bench.device.sim().setInternalValue(72, 1000);
    bench.device.sim().setInternalValue(12, 1250);
    bench.link.loadCellGain[2] = 0.002;
    CMoveToSizeDlg dialog(bench.link);
    dialog.show();
    QCOMPARE(dialog.amountLabel()->text(), label);
    // The wells are read on opening, off the GUI thread.
    QVERIFY(!dialog.applyButton()->isEnabled());
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.forceEdit(2)->text(), QStringLiteral("0.5"));  // (1250 - 1000) × 0.002
    bench.device.sim().clearReceivedCommands();
    dialog.amountEdit(0)->setText(QStringLiteral("1"));
    dialog.amountEdit(3)->setText(QStringLiteral("0.0004"));  // 0.8 steps: none
    dialog.amountEdit(5)->clear();                            // empty: 0
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    QVERIFY(!dialog.applyButton()->isEnabled());
    QVERIFY(!dialog.jogButton(0, false)->isEnabled());
    QVERIFY(!dialog.amountEdit(0)->isEnabled());
    dialog.reject();
    QVERIFY(dialog.isVisible());
    WAIT_IDLE(dialog);
    QVERIFY(dialog.applyButton()->isEnabled());

    const Commands commands = bench.withoutPolls();
    QCOMPARE(commands[1], target.toStdString());
    QCOMPARE(commands[7], std::string("Positioning(3,8,0)"));
    QCOMPARE(dialog.positionEdit(0)->text(), shown);
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kArrivedStatus));
    // The amounts went back to 0: Enter again has nothing to repeat.
    bench.device.sim().clearReceivedCommands();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(!dialog.busy());
    QVERIFY(bench.device.sim().receivedCommands().empty());
    QCOMPARE(dialog.statusLabel()->text(),
             QString::fromLatin1(CMoveToSizeDlg::kNothingToMoveStatus));

    bench.device.sim().addFault({kyrvana::sim::SimulatorFault::Kind::NoAnswer, "GetMotorsState"});
    dialog.amountEdit(1)->setText(QStringLiteral("1"));
    dialog.apply();
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.statusLabel()->text(), QStringLiteral("The device did not answer."));
}

void HardwareDialogsTest::aHeldJogButtonJogsUntilReleasedOrTheDialogGoes() {
    Bench bench(0);
    auto owned = std::make_unique<CMoveToSizeDlg>(bench.link);
    CMoveToSizeDlg& dialog = *owned;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    WAIT_IDLE(dialog);
    bench.device.sim().clearReceivedCommands();
    // A click elsewhere, or a release on a jog button without its press,
    // sends nothing.
    QTest::mouseClick(dialog.amountLabel(), Qt::LeftButton);
    QTest::mouseRelease(dialog.jogButton(0, false), Qt::LeftButton);
    QVERIFY(!dialog.busy());
    QVERIFY(bench.device.sim().receivedCommands().empty());

    kyrvana::gui::COrvendaButton* button = dialog.jogButton(2, false);
    const QIcon normal = button->icon();
    QTest::mousePress(button, Qt::LeftButton);
    QVERIFY(button->icon().cacheKey() != normal.cacheKey());
    // Only the held button stays usable, or its release would be lost.
    QVERIFY(button->isEnabled());
    QVERIFY(!dialog.jogButton(2, true)->isEnabled());
    QVERIFY(!dialog.doneButton()->isEnabled());
    dialog.reject();
    QVERIFY(dialog.isVisible());
    QTRY_COMPARE(bench.device.sim().receivedCommands(), Commands{"\x1CZ(2,0,7,0)"});

    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(button->icon().cacheKey(), normal.cacheKey());
    WAIT_IDLE(dialog);
    QVERIFY(!bench.device.sim().motorsMoving());
    QCOMPARE(bench.withoutPolls()[1], std::string("\x1CZ(2,1,0,0)"));
    // The well was read again where the jog left it.
    const auto steps = static_cast<int>(bench.device.sim().motorPosition(2));
    QVERIFY(steps != 0);
    QCOMPARE(dialog.positionEdit(2)->text().toStdString(),
             kyrvana::strippedNumberText(kyrvana::positionMm(steps, 0.5)));

    // An actuator must not keep moving because its dialog went away while
    // its button was held: the stop still goes out.
    bench.device.sim().clearReceivedCommands();
    QTest::mousePress(dialog.jogButton(1, true), Qt::LeftButton);
    owned.reset();
    const Commands commands = bench.withoutPolls();
    QCOMPARE(Commands(commands.begin(), commands.begin() + 2),
             (Commands{"\x1CZ(1,1,7,0)", "\x1CZ(1,1,0,0)"}));
    QVERIFY(!bench.device.sim().motorsMoving());
}

// A move of 10 000 microsteps at 2000 a second takes five seconds: the
// positions are seen changing on the way, and while the wells move the
// focus waits on Stop, so that Space halts them; once they stand it is back
// where the move was typed.
void HardwareDialogsTest::aMoveStartedWithEnterShowsItsWayAndStopsWithSpace() {
    Bench bench(0, 2000.0);
    CMoveToSizeDlg dialog(bench.link);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    WAIT_IDLE(dialog);
    QVERIFY(!dialog.stopButton()->isEnabled());
    dialog.amountEdit(3)->setText(QStringLiteral("-5"));  // down to -10000
    dialog.amountEdit(0)->setFocus();
    QTest::keyClicks(dialog.amountEdit(0), QStringLiteral("5"));  // "05": up to 10000
    QTest::keyClick(dialog.amountEdit(0), Qt::Key_Return);
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kMovingStatus));
    QVERIFY(dialog.stopButton()->hasFocus());
    QVERIFY(!dialog.applyButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.positionEdit(0)->text().toDouble() < 0.0 &&
                                 dialog.positionEdit(3)->text().toDouble() > 0.0,
                             3000);
    QVERIFY(bench.device.sim().motorsMoving());

    QTest::keyClick(dialog.stopButton(), Qt::Key_Space);
    QVERIFY(!dialog.stopButton()->isEnabled());
    WAIT_IDLE(dialog);
    QVERIFY(!bench.device.sim().motorsMoving());
    const auto up = bench.device.sim().motorPosition(0);
    const auto down = bench.device.sim().motorPosition(3);
    QVERIFY2(up > 0 && up < 10000, qPrintable(QString::number(up)));
    QVERIFY2(down < 0 && down > -10000, qPrintable(QString::number(down)));
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kHaltedStatus));
    QCOMPARE(dialog.positionEdit(0)->text().toStdString(),
             kyrvana::strippedNumberText(kyrvana::positionMm(static_cast<int>(up), 0.5)));
    QVERIFY(dialog.amountEdit(0)->hasFocus());
}

void HardwareDialogsTest::calibrationShowsTheRecordsAndFitsTheGain() {
    Bench bench(0);
    bench.device.sim().writeEepromItem(
        3840, "100,0.001,32000\n50,0.0005,31000\n44.5,0.00098,30000\n100,0,0\n100,0,0\n100,0,0\n");
    CLoadCellCalDlg dialog(bench.link, bench.boxes);
    dialog.show();
    QVERIFY(!dialog.readButton()->isEnabled());
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.001"));
    dialog.cellCombo()->setCurrentIndex(2);
    QCOMPARE(dialog.fullScaleEdit()->text(), QStringLiteral("44.5"));
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.00098"));

    bench.device.sim().setInternalValue(12, 1000);
    dialog.weightEdit()->setText(QStringLiteral("100"));
    QTest::mouseClick(dialog.readButton(), Qt::LeftButton);
    QVERIFY(!dialog.calculateButton()->isEnabled());
    WAIT_IDLE(dialog);
    // One reading is no slope: the gain stays as it was.
    dialog.gainEdit()->setText(QStringLiteral("0.5"));
    dialog.calculate();
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].text, QStringLiteral("At least 2 different Weights required\n"));
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.5"));

    bench.device.sim().setInternalValue(12, 2000);
    dialog.weightEdit()->setText(QStringLiteral("200"));
    dialog.read();
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.readingsList()->itemCount(), 2);
    QCOMPARE(dialog.readingsList()->itemText(1, 1), QStringLiteral("2000"));
    QTest::mouseClick(dialog.calculateButton(), Qt::LeftButton);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.00098"));
    QCOMPARE(bench.boxes.shown.size(), 1);

    // Another load cell: the readings are gone; Clear empties them too.
    dialog.cellCombo()->setCurrentIndex(0);
    QCOMPARE(dialog.readingsList()->itemCount(), 0);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.001"));
    dialog.read();
    WAIT_IDLE(dialog);
    QTest::mouseClick(dialog.clearButton(), Qt::LeftButton);
    QCOMPARE(dialog.readingsList()->itemCount(), 0);
}

void HardwareDialogsTest::calibrationApplyAsksThenSavesAndHomeAndMoveTalk() {
    Bench bench(0);
    CLoadCellCalDlg dialog(bench.link, bench.boxes);
    WAIT_IDLE(dialog);
    dialog.cellCombo()->setCurrentIndex(1);
    bench.device.sim().clearReceivedCommands();
    QTest::mouseClick(dialog.homeButton(), Qt::LeftButton);
    WAIT_IDLE(dialog);
    QTest::mouseClick(dialog.moveButton(), Qt::LeftButton);
    WAIT_IDLE(dialog);
    QCOMPARE(bench.device.sim().receivedCommands(),
             (Commands{"Homing", "QueryMotorPos(1)", "Positioning(1,8,4000)"}));

    bench.device.sim().clearReceivedCommands();
    dialog.fullScaleEdit()->setText(QStringLiteral("44.5"));
    dialog.gainEdit()->setText(QStringLiteral("0.00098"));
    // Overwriting the stored calibration is asked first; No keeps it.
    bench.boxes.answer = QMessageBox::No;
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    QVERIFY(!dialog.busy());
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].defaultButton, QMessageBox::No);
    QVERIFY2(bench.boxes.shown[0].text.contains(QStringLiteral("load cell 2")),
             qPrintable(bench.boxes.shown[0].text));
    QVERIFY(bench.device.sim().receivedCommands().empty());

    bench.boxes.answer = QMessageBox::Yes;
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    QVERIFY(!dialog.doneButton()->isEnabled());
    WAIT_IDLE(dialog);
    QVERIFY2(dialog.statusLabel()->text().startsWith(
                 QStringLiteral("Calibration of load cell 2 saved to the device at ")),
             qPrintable(dialog.statusLabel()->text()));
    // The second of the six records carries the typed values.
    const QString second =
        QString::fromStdString(bench.device.sim().eepromItem(3840)).section('\n', 1, 1);
    QVERIFY2(second.startsWith(QStringLiteral("44.5,0.00098,")), qPrintable(second));
    // Choosing the well again shows what was saved.
    dialog.cellCombo()->setCurrentIndex(0);
    dialog.cellCombo()->setCurrentIndex(1);
    QCOMPARE(dialog.fullScaleEdit()->text(), QStringLiteral("44.5"));
}

void HardwareDialogsTest::aFailedCalibrationStepSaysWhy_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("status");
    const QString gone = QStringLiteral("No device is connected.");
    QTest::newRow("Home, port closed") << "homeButton"
                                       << "closed" << gone;
    QTest::newRow("Move, port closed") << "moveButton"
                                       << "closed" << gone;
    QTest::newRow("Read, port closed") << "readButton"
                                       << "closed" << gone;
    QTest::newRow("Read, unplugged") << "readButton"
                                     << "unplugged"
                                     << "The port is gone: the device was unplugged.";
    // The fifth of the ten samples goes unanswered.
    QTest::newRow("Read, no answer") << "readButton"
                                     << "silent"
                                     << "The device did not answer.";
}

// A failed reading adds no row; the box is for a device that is not there
// at all, and then nothing is sent or logged.
void HardwareDialogsTest::aFailedCalibrationStepSaysWhy() {
    QFETCH(QString, button);
    QFETCH(QString, fault);
    QFETCH(QString, status);
    Bench bench(0);
    CLoadCellCalDlg dialog(bench.link, bench.boxes);
    WAIT_IDLE(dialog);
    if (fault == "closed") {
        bench.link.serial.CloseSerialPort();
    } else if (fault == "unplugged") {
        bench.device.sim().hangUp();
    } else {
        kyrvana::sim::SimulatorFault silent{kyrvana::sim::SimulatorFault::Kind::NoAnswer,
                                            "QueryInternalValue(10)"};
        silent.skip = 4;
        bench.device.sim().addFault(silent);
    }
    bench.device.sim().clearReceivedCommands();
    const std::size_t logLines = bench.log.Lines().size();
    dialog.weightEdit()->setText(QStringLiteral("100"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.readingsList()->itemCount(), 0);
    QCOMPARE(dialog.statusLabel()->text(), status);
    if (fault == "closed") {
        QCOMPARE(bench.boxes.shown.size(), 1);
        QCOMPARE(bench.boxes.shown.front().text,
                 QStringLiteral("Kyrvana Device Not Detected.\nPlease ensure that the device is "
                                "powered on and all cables are properly connected\n"));
        QCOMPARE(bench.log.Lines().size(), logLines);
        QVERIFY(bench.device.sim().receivedCommands().empty());
    } else {
        QVERIFY(bench.boxes.shown.isEmpty());
    }
}

QTEST_MAIN(HardwareDialogsTest)
#include "hardware_dialogs_test.moc"
