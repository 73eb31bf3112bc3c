// The whole window on a simulated stimulator: the menu follows the device's
// plug and unplug, File > Open and Save move a sequence through a protocol
// file, Program, Verify and Read Device run through the request thread while
// the window stays responsive, work that would spoil a running test asks
// first, the status bar says what the link is doing, and closing the window
// stops the thread.
#include "gui/app/application_session.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/device/test_state.h"
#include "gui/app/qt_document_host.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "session_window.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

SetRecord namedSet(const char* name, double magnitude) {
    SetRecord set;
    set.name = name;
    set.magnitude.fill(magnitude);
    set.numReps = 3;
    set.holdTimeMs = 250;
    return set;
}

}  // namespace

class ApplicationSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void menuFollowsPlugAndUnplug();
    void sequenceGoesOutAndComesBack();
    void openAndSaveLeaveThingsAloneWhenTheyCannot();
    void deviceWorkAsksWhileATestRuns();
    void disableWellsFromTheMenuRebuildsTheList();
    void closingStopsTheRequestThread();
};

// Which commands need a device is the frame's; here the session passes the
// document's plug and unplug on to the frame, the view and the status bar.
void ApplicationSessionTest::menuFollowsPlugAndUnplug() {
    SessionWindow window;
    QVERIFY2(window.showAndConnect(), window.error.c_str());
    QVERIFY(window.view().insertBelowButton()->isEnabled());
    QTRY_COMPARE(window.frame.statusText(), QStringLiteral("Ready"));

    window.device.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!window.action(kCmdProgramDevice)->isEnabled(), 10000);
    QVERIFY(!window.view().insertBelowButton()->isEnabled());
    QTRY_COMPARE(window.frame.statusText(), QStringLiteral("Disconnected"));

    QVERIFY(window.device.plug());
    QTRY_VERIFY_WITH_TIMEOUT(window.action(kCmdProgramDevice)->isEnabled(), 10000);
    QTRY_COMPARE(window.frame.statusText(), QStringLiteral("Ready"));
    QVERIFY(window.boxes.shown.isEmpty());
}

void ApplicationSessionTest::openAndSaveLeaveThingsAloneWhenTheyCannot() {
    SessionWindow window;
    QVERIFY2(window.showAndConnect(), window.error.c_str());
    // An empty sequence fails the checks before any dialog.
    window.action(kCmdFileSave)->trigger();
    QVERIFY(window.dialogs.requests.isEmpty());
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text,
             QStringLiteral("Please Specify a Test Sequence Before Executing"));

    window.compose({namedSet("Kept", 400)});
    window.view().appendLogText("earlier line\n");
    // Cancelled, or a file that cannot be read: the sequence stays.
    window.action(kCmdFileOpen)->trigger();
    QCOMPARE(window.dialogs.requests.size(), 1);
    window.dialogs.openPath = window.folder.filePath(QStringLiteral("missing.tmt"));
    window.action(kCmdFileOpen)->trigger();
    QCOMPARE(window.listNames(), QStringList{"Kept"});
    QVERIFY(window.pane().endsWith(QStringLiteral("earlier line\n")));

    // A file that cannot be created: the box says so, the pane stays.
    window.dialogs.savePath = window.folder.filePath(QStringLiteral("no/such/folder/x.tmt"));
    window.action(kCmdFileSave)->trigger();
    QVERIFY(window.pane().endsWith(QStringLiteral("earlier line\n")));
    QCOMPARE(window.boxes.shown.size(), 2);
    QCOMPARE(window.boxes.shown[1].text, QStringLiteral("Protocol File Not Saved\n") +
                                             window.dialogs.savePath +
                                             QStringLiteral("\nNo such file or directory\n"
                                                            "Any earlier file of that name is "
                                                            "unchanged.\n"));
    QCOMPARE(window.boxes.shown[1].icon, QMessageBox::Critical);

    // A file with words that are not protocol values is opened as it reads,
    // and a warning names what did not read.
    const QString odd = window.folder.filePath(QStringLiteral("odd.tmt"));
    QFile file(odd);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Name\tColour\tXFunction\tNumReps\t\r\nA\tred\tRmp\t2\t\r\n");
    file.close();
    window.dialogs.openPath = odd;
    window.action(kCmdFileOpen)->trigger();
    QCOMPARE(window.listNames(), QStringList{"A"});
    QCOMPARE(window.pane(), QStringLiteral("Protocol File Successfully Opened\n"));
    QCOMPARE(window.boxes.shown.size(), 3);
    QCOMPARE(window.boxes.shown[2].icon, QMessageBox::Warning);
    QVERIFY2(window.boxes.shown[2].text.contains(QStringLiteral("unknown waveform \"Rmp\"")),
             qPrintable(window.boxes.shown[2].text));
}

// File > Save and Program Device take the sequence out; Verify names what
// differs without changing the view; Read Device and File > Open bring it
// back, each into the list, the repeat field and the pane.
void ApplicationSessionTest::sequenceGoesOutAndComesBack() {
    SessionWindow window;
    QVERIFY(window.showAndConnect());
    window.compose({namedSet("Alpha", 500), namedSet("Beta", 800), namedSet("Gamma", 300)});
    window.view().model().showRepeatCount(2);
    window.view().refreshFromModel();

    const QString saved = window.folder.filePath(QStringLiteral("protocols/round.tmt"));
    QDir().mkpath(QFileInfo(saved).absolutePath());
    window.dialogs.savePath = saved;
    window.action(kCmdFileSave)->trigger();
    QCOMPARE(window.pane(), QStringLiteral("Protocol File Successfully Saved\n"));
    QCOMPARE(window.settings.templateDir(), QFileInfo(saved).absolutePath());
    QCOMPARE(window.dialogs.requests.constFirst().defaultSuffix, QStringLiteral("tmt"));
    window.action(kCmdProgramDevice)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        window.pane().contains(QStringLiteral("Programming Device... Success")), 15000);
    QVERIFY(window.device.simulator().eepromItem(eeprom::kSequenceText).find("Beta,") !=
            std::string::npos);

    window.view().model().showRepeatCount(9);
    window.compose({namedSet("Scratch", 10)});
    window.action(kCmdVerifyDevice)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        window.pane().startsWith(QStringLiteral("Sets: device 3, sequence 1\n")), 15000);
    QCOMPARE(window.listNames(), (QStringList{"Scratch"}));
    window.action(kCmdReadDevice)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(window.pane(), QStringLiteral("\nReading Device... Success\n"),
                              15000);
    QCOMPARE(window.listNames(), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(window.view().repeatEdit()->text(), QStringLiteral("2"));

    window.view().model().showRepeatCount(1);
    window.compose({namedSet("Other", 100)});
    window.dialogs.openPath = saved;
    window.action(kCmdFileOpen)->trigger();
    QCOMPARE(window.dialogs.requests.last().folder, QFileInfo(saved).absolutePath());
    QCOMPARE(window.listNames(), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(window.view().repeatEdit()->text(), QStringLiteral("2"));
    QCOMPARE(window.pane(), QStringLiteral("Protocol File Successfully Opened\n"));
    QVERIFY(window.boxes.shown.isEmpty());
}

// Program Device, Move To Position and Load Cell Calibration ask before they
// go on while the device runs or holds a test; No, the default, sends nothing
// more. Which states count as a test is the core's (running and paused).
void ApplicationSessionTest::deviceWorkAsksWhileATestRuns() {
    SessionWindow window;
    QVERIFY(window.showAndConnect());
    sim::SimulatedStimulator& simulator = window.device.simulator();
    window.compose({namedSet("Asked", 500)});
    // Closes each dialog that opens and remembers its title.
    QStringList opened;
    QPointer<QDialog> seen;
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        if (dialog != seen) {
            seen = dialog;
            opened << dialog->windowTitle();
        }
        dialog->reject();  // refused while its first reads run; tried again
    });
    closer.start();

    // Triggers `command` with the device in `state`, answering a question with
    // `answer`; true once the one question was asked as it should be.
    const auto asks = [&](int command, int state, QMessageBox::StandardButton answer) {
        simulator.setInternalValue(internal_value::kTestState, state);
        simulator.clearReceivedCommands();
        window.boxes.shown.clear();
        window.boxes.answer = answer;
        opened.clear();
        window.action(command)->trigger();
        return QTest::qWaitFor([&] { return !window.boxes.shown.isEmpty(); }, 10000) &&
               window.boxes.shown.size() == 1 &&
               window.boxes.shown[0].text == QString::fromLatin1(kTestRunningQuestion) &&
               window.boxes.shown[0].buttons == (QMessageBox::Yes | QMessageBox::No) &&
               window.boxes.shown[0].defaultButton == QMessageBox::No;
    };
    const std::vector<std::string> onlyTheQuery{"QueryInternalValue(1)\r"};

    QVERIFY(asks(kCmdProgramDevice, test_state::kRunning, QMessageBox::No));
    QTRY_VERIFY(window.session->document().pendingRequest() == DeviceRequest::Idle);
    QCOMPARE(simulator.receivedCommands(), onlyTheQuery);
    QVERIFY(asks(kCmdMoveToPosition, test_state::kPaused, QMessageBox::No));
    QCOMPARE(simulator.receivedCommands(), onlyTheQuery);
    QVERIFY(opened.isEmpty());

    QVERIFY(asks(kCmdLoadCellCalibration, test_state::kRunning, QMessageBox::Yes));
    QTRY_COMPARE(opened, QStringList{QStringLiteral("Load Cell Calibration")});
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    // No test: no question.
    simulator.setInternalValue(internal_value::kTestState, 0);
    opened.clear();
    window.action(kCmdMoveToPosition)->trigger();
    QTRY_COMPARE(opened, QStringList{QStringLiteral("Move to Position")});
    QCOMPARE(window.boxes.shown.size(), 1);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

    QVERIFY(asks(kCmdProgramDevice, test_state::kPaused, QMessageBox::Yes));
    QTRY_VERIFY_WITH_TIMEOUT(
        window.pane().contains(QStringLiteral("Programming Device... Success")), 15000);
    QVERIFY(simulator.eepromItem(eeprom::kSequenceText).find("Asked,") != std::string::npos);
}

void ApplicationSessionTest::disableWellsFromTheMenuRebuildsTheList() {
    SessionWindow window;
    QVERIFY(window.showAndConnect());
    window.compose({namedSet("A", 500)});
    // The dialog is modal; answer it once it is up.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CDisableWellsDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        dialog->disabledBox(2)->setChecked(true);
        dialog->accept();
    });
    window.action(kCmdDisableWells)->trigger();
    QCOMPARE(window.session->document().disabledWells().mask, std::uint8_t{0x02});
    QCOMPARE(window.view().list()->itemText(0, 3), QStringLiteral("  -"));
}

void ApplicationSessionTest::closingStopsTheRequestThread() {
    SessionWindow window;
    QVERIFY(window.showAndConnect());
    QVERIFY(window.session->document().requestThreadRunning());
    window.compose({namedSet("A", 500)});
    // Slow enough answers that the operation is seen while it runs.
    window.device.simulator().setLatency(std::chrono::milliseconds(20));
    window.action(kCmdProgramDevice)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(window.frame.statusText(), QString::fromUtf8("Programming\u2026"),
                              10000);
    // Close in the middle of programming: the request thread's remaining
    // calls are answered without the window, and the join returns.
    QTRY_VERIFY_WITH_TIMEOUT(window.device.simulator().receivedCommands().size() > 5, 10000);
    window.frame.close();
    QVERIFY(!window.session->document().requestThreadRunning());
    QVERIFY(window.session->host().isShutDown());
}

QTEST_MAIN(ApplicationSessionTest)
#include "application_session_test.moc"
