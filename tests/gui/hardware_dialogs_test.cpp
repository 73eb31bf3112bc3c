// Move to Position and Load Cell Calibration against the simulated
// stimulator. Which commands a move, a jog or a calibration sends is the
// core's (tested over the simulator there); here the window's part: the
// typed values reaching it, the values shown, jogging with the mouse held, a
// move watched while it runs and stopped, the controls disabled while
// the device works, and what the status line and the boxes say.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "core/common/stripped_number_text.h"
#include "core/hardware/actuator_arithmetic.h"
#include "dialog_bench.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/report_ctrl.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"

using namespace kyrvana::gui;
using kyrvana::sim::SimulatorFault;
using Commands = std::vector<std::string>;

namespace {

kyrvana::sim::SimulatorOptions motorsAt(double motorSpeed) {
    kyrvana::sim::SimulatorOptions options;
    options.motorSpeed = motorSpeed;
    return options;
}

// A P7 as a connection leaves the link: its model and 0.5 um per step known.
// Moves end almost at once unless a test wants to watch one.
struct Bench : DialogBench {
    explicit Bench(double motorSpeed = 1e7) : DialogBench(motorsAt(motorSpeed)) {
        link.hardwareType = 0;
        link.umPerUstep.fill(0.5);
        link.PublishSnapshot();
    }

    Commands withoutPolls() {
        Commands commands = device.sim().receivedCommands();
        std::erase(commands, "GetMotorsState");
        return commands;
    }
};

QString shownPosition(std::int64_t steps) {
    return QString::fromStdString(
        kyrvana::strippedNumberText(kyrvana::positionMm(static_cast<int>(steps), 0.5)));
}

}  // namespace

class HardwareDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void applyMovesTheTypedAmountsAndSaysHowItWent();
    void aHeldJogButtonJogsUntilReleasedOrTheDialogGoes();
    void aMoveStartedWithEnterShowsItsWayAndStops();
    void calibrationFitsTheGainAndSavesItAfterAsking();
    void aFailedReadingSaysWhyAndAddsNoRow();
};

void HardwareDialogsTest::applyMovesTheTypedAmountsAndSaysHowItWent() {
    Bench bench;
    bench.device.sim().setInternalValue(72, 1000);
    bench.device.sim().setInternalValue(12, 1250);
    bench.link.loadCellGain[2] = 0.002;
    CMoveToSizeDlg dialog(bench.link);
    dialog.show();
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

    // +1 mm at 0.5 um per step: 2000 steps.
    const Commands commands = bench.withoutPolls();
    QCOMPARE(commands[1], std::string("Positioning(0,8,2000)"));
    QCOMPARE(commands[7], std::string("Positioning(3,8,0)"));
    QCOMPARE(dialog.positionEdit(0)->text(), QStringLiteral("-1"));
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kArrivedStatus));
    // The amounts went back to 0: Enter again has nothing to repeat.
    bench.device.sim().clearReceivedCommands();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(!dialog.busy());
    QVERIFY(bench.device.sim().receivedCommands().empty());
    QCOMPARE(dialog.statusLabel()->text(),
             QString::fromLatin1(CMoveToSizeDlg::kNothingToMoveStatus));

    bench.device.sim().addFault({SimulatorFault::Kind::NoAnswer, "GetMotorsState"});
    bench.link.serial.setReadTimeoutMs(kNoAnswerWaitMs);
    dialog.amountEdit(1)->setText(QStringLiteral("1"));
    dialog.apply();
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.statusLabel()->text(), QStringLiteral("The device did not answer."));
}

void HardwareDialogsTest::aHeldJogButtonJogsUntilReleasedOrTheDialogGoes() {
    Bench bench;
    auto owned = std::make_unique<CMoveToSizeDlg>(bench.link);
    CMoveToSizeDlg& dialog = *owned;
    dialog.show();
    WAIT_IDLE(dialog);
    bench.device.sim().clearReceivedCommands();
    kyrvana::gui::COrvendaButton* button = dialog.jogButton(2, false);
    QTest::mousePress(button, Qt::LeftButton);
    // Only the held button stays usable, or its release would be lost.
    QVERIFY(button->isEnabled());
    QVERIFY(!dialog.jogButton(2, true)->isEnabled());
    QVERIFY(!dialog.doneButton()->isEnabled());
    dialog.reject();
    QVERIFY(dialog.isVisible());
    QTRY_COMPARE(bench.device.sim().receivedCommands(), Commands{"\x1CZ(2,0,7,0)"});

    QTest::mouseRelease(button, Qt::LeftButton);
    WAIT_IDLE(dialog);
    QVERIFY(!bench.device.sim().motorsMoving());
    QCOMPARE(bench.withoutPolls()[1], std::string("\x1CZ(2,1,0,0)"));
    // The well was read again where the jog left it.
    const auto steps = bench.device.sim().motorPosition(2);
    QVERIFY(steps != 0);
    QCOMPARE(dialog.positionEdit(2)->text(), shownPosition(steps));

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
// positions are seen changing on the way (the GUI thread keeps turning), and
// Stop halts the wells where they are.
void HardwareDialogsTest::aMoveStartedWithEnterShowsItsWayAndStops() {
    Bench bench(2000.0);
    CMoveToSizeDlg dialog(bench.link);
    dialog.show();
    WAIT_IDLE(dialog);
    QVERIFY(!dialog.stopButton()->isEnabled());
    dialog.amountEdit(3)->setText(QStringLiteral("-5"));          // down to -10000
    QTest::keyClicks(dialog.amountEdit(0), QStringLiteral("5"));  // "05": up to 10000
    QTest::keyClick(dialog.amountEdit(0), Qt::Key_Return);
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kMovingStatus));
    QVERIFY(!dialog.applyButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.positionEdit(0)->text().toDouble() < 0.0 &&
                                 dialog.positionEdit(3)->text().toDouble() > 0.0,
                             3000);
    QVERIFY(bench.device.sim().motorsMoving());

    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    QVERIFY(!dialog.stopButton()->isEnabled());
    WAIT_IDLE(dialog);
    QVERIFY(!bench.device.sim().motorsMoving());
    const auto up = bench.device.sim().motorPosition(0);
    const auto down = bench.device.sim().motorPosition(3);
    QVERIFY2(up > 0 && up < 10000, qPrintable(QString::number(up)));
    QVERIFY2(down < 0 && down > -10000, qPrintable(QString::number(down)));
    QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(CMoveToSizeDlg::kHaltedStatus));
    QCOMPARE(dialog.positionEdit(0)->text(), shownPosition(up));
}

void HardwareDialogsTest::calibrationFitsTheGainAndSavesItAfterAsking() {
    Bench bench;
    bench.device.sim().writeEepromItem(
        3840, "100,0.001,32000\n50,0.0005,31000\n44.5,0.002,30000\n100,0,0\n100,0,0\n100,0,0\n");
    CLoadCellCalDlg dialog(bench.link, bench.boxes);
    dialog.show();
    QVERIFY(!dialog.readButton()->isEnabled());
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.001"));
    // The chosen load cell's record is shown, and its well goes to its
    // loading position.
    dialog.cellCombo()->setCurrentIndex(2);
    QCOMPARE(dialog.fullScaleEdit()->text(), QStringLiteral("44.5"));
    bench.device.sim().clearReceivedCommands();
    QTest::mouseClick(dialog.moveButton(), Qt::LeftButton);
    WAIT_IDLE(dialog);
    QCOMPARE(bench.device.sim().receivedCommands(),
             (Commands{"QueryMotorPos(2)", "Positioning(2,8,4000)"}));

    bench.device.sim().setInternalValue(12, 1000);
    dialog.weightEdit()->setText(QStringLiteral("100"));
    QTest::mouseClick(dialog.readButton(), Qt::LeftButton);
    QVERIFY(!dialog.calculateButton()->isEnabled());
    WAIT_IDLE(dialog);
    // One reading is no slope: the gain stays as it was.
    dialog.calculate();
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.002"));
    bench.device.sim().setInternalValue(12, 2000);
    dialog.weightEdit()->setText(QStringLiteral("200"));
    dialog.read();
    WAIT_IDLE(dialog);
    QCOMPARE(dialog.readingsList()->itemText(1, 1), QStringLiteral("2000"));
    QTest::mouseClick(dialog.calculateButton(), Qt::LeftButton);
    QCOMPARE(dialog.gainEdit()->text(), QStringLiteral("0.00098"));

    // Overwriting the stored calibration is asked first; No keeps it.
    bench.boxes.shown.clear();
    bench.device.sim().clearReceivedCommands();
    bench.boxes.answer = QMessageBox::No;
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    QVERIFY(!dialog.busy());
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].defaultButton, QMessageBox::No);
    QVERIFY2(bench.boxes.shown[0].text.contains(QStringLiteral("load cell 3")),
             qPrintable(bench.boxes.shown[0].text));
    QVERIFY(bench.device.sim().receivedCommands().empty());

    bench.boxes.answer = QMessageBox::Yes;
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    QVERIFY(!dialog.doneButton()->isEnabled());
    WAIT_IDLE(dialog);
    QVERIFY2(dialog.statusLabel()->text().startsWith(
                 QStringLiteral("Calibration of load cell 3 saved to the device at ")),
             qPrintable(dialog.statusLabel()->text()));
    // The third of the six records carries the fitted gain.
    const QString third =
        QString::fromStdString(bench.device.sim().eepromItem(3840)).section('\n', 2, 2);
    QVERIFY2(third.startsWith(QStringLiteral("44.5,0.00098,")), qPrintable(third));

    // Readings of one load cell must not enter another's fit.
    dialog.cellCombo()->setCurrentIndex(0);
    QCOMPARE(dialog.readingsList()->itemCount(), 0);
}

// A failed reading would put a made-up value into the fit: no row is added.
// The box is for a device that is not there at all, and then nothing is
// sent or logged.
void HardwareDialogsTest::aFailedReadingSaysWhyAndAddsNoRow() {
    enum class Fault { PortClosed, Unplugged, Silent };
    const struct {
        Fault fault;
        const char* status;
    } cases[] = {
        {Fault::PortClosed, "No device is connected."},
        {Fault::Unplugged, "The port is gone: the device was unplugged."},
        {Fault::Silent, "The device did not answer."},
    };
    for (const auto& c : cases) {
        Bench bench;
        CLoadCellCalDlg dialog(bench.link, bench.boxes);
        WAIT_IDLE(dialog);
        bench.link.serial.setReadTimeoutMs(kNoAnswerWaitMs);
        if (c.fault == Fault::PortClosed) {
            bench.link.serial.CloseSerialPort();
        } else if (c.fault == Fault::Unplugged) {
            bench.device.sim().hangUp();
        } else {
            // The fifth of the ten samples goes unanswered.
            SimulatorFault silent{SimulatorFault::Kind::NoAnswer, "QueryInternalValue(10)"};
            silent.skip = 4;
            bench.device.sim().addFault(silent);
        }
        bench.device.sim().clearReceivedCommands();
        const std::size_t logLines = bench.log.Lines().size();
        dialog.weightEdit()->setText(QStringLiteral("100"));
        QTest::mouseClick(dialog.readButton(), Qt::LeftButton);
        WAIT_IDLE(dialog);
        QCOMPARE(dialog.readingsList()->itemCount(), 0);
        QCOMPARE(dialog.statusLabel()->text(), QString::fromLatin1(c.status));
        const bool absent = c.fault == Fault::PortClosed;
        QCOMPARE(bench.boxes.shown.size(), absent ? 1 : 0);
        if (absent) {
            QCOMPARE(bench.log.Lines().size(), logLines);
            QVERIFY(bench.device.sim().receivedCommands().empty());
        }
    }
}

QTEST_MAIN(HardwareDialogsTest)
#include "hardware_dialogs_test.moc"
