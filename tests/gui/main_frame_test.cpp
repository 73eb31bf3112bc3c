// The main frame: the device commands follow the connection, commands leave
// by their id, and a simulated stimulator is never taken for a real one.
#include "gui/app/main_frame.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include "core/document/command_ids.h"
#include "gui/app/command_table.h"

using namespace kyrvana;
using kyrvana::gui::CMainFrame;

namespace {

QList<int> disabledCommands(const CMainFrame& frame) {
    QList<int> ids;
    for (const gui::CommandEntry& entry : gui::commandTable()) {
        if (!frame.commandAction(entry.id)->isEnabled()) {
            ids << entry.id;
        }
    }
    return ids;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void connectionEnablesTheDeviceCommandsWhichLeaveByTheirId();
    void simulatedDeviceIsMarked();
};

void MainFrameTest::connectionEnablesTheDeviceCommandsWhichLeaveByTheirId() {
    CMainFrame frame;
    QSignalSpy spy(&frame, &CMainFrame::commandTriggered);
    // Calibration Mode is never offered; Open and Save, the device commands
    // and the indicator need a device.
    const QList<int> offline{kCmdFileOpen,        kCmdFileSave,       kCmdReadDevice,
                             kCmdVerifyDevice,    kCmdProgramDevice,  kCmdAccessTestData,
                             kCmdCalibrationMode, kCmdMoveToPosition, kCmdConnectionIndicator};
    for (const bool connected : {false, true, false}) {
        frame.setConnected(connected);
        QCOMPARE(disabledCommands(frame), connected ? QList<int>{kCmdCalibrationMode} : offline);
    }
    // Disabled while no device is connected: nothing is sent.
    frame.commandAction(kCmdReadDevice)->trigger();
    QCOMPARE(spy.count(), 0);

    frame.setConnected(true);
    const QList<int> documentCommands{kCmdReadDevice, kCmdVerifyDevice, kCmdProgramDevice,
                                      kCmdFileSave,   kCmdDisableWells, kCmdManualConnectDevice};
    for (const int id : documentCommands) {
        frame.commandAction(id)->trigger();
    }
    // The connection indicator has no handler.
    frame.commandAction(kCmdConnectionIndicator)->trigger();
    QList<int> ids;
    for (const QList<QVariant>& call : spy) {
        ids << call.at(0).toInt();
    }
    QCOMPARE(ids, documentCommands);

    // Exit is the frame's own: it closes the window and tells the owner.
    frame.show();
    QSignalSpy closing(&frame, &CMainFrame::closing);
    frame.commandAction(kCmdAppExit)->trigger();
    QCOMPARE(closing.count(), 1);
    QVERIFY(!frame.isVisible());
    QCOMPARE(spy.count(), ids.size());
}

// A user must not take the simulator's results for a culture's: the status
// bar says so and the indicator lamp looks different.
void MainFrameTest::simulatedDeviceIsMarked() {
    CMainFrame frame;
    frame.show();
    auto* pane = frame.findChild<QLabel*>(QStringLiteral("simulatedPane"));
    QVERIFY(pane != nullptr);
    QVERIFY(!pane->isVisible());
    QAction* indicator = frame.commandAction(kCmdConnectionIndicator);
    const QImage realLamp = indicator->icon().pixmap(QSize(83, 32)).toImage();

    frame.setSimulated(true);
    frame.setConnected(true);
    QVERIFY(pane->isVisible());
    QVERIFY(indicator->icon().pixmap(QSize(83, 32)).toImage() != realLamp);

    frame.setSimulated(false);
    QVERIFY(!pane->isVisible());
}

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
