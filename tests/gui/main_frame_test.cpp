// The main frame: its menu and toolbar come from the command table, the
// device commands follow the connection, and commands leave by their id.
#include "gui/app/main_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QtTest>

#include "core/document/command_ids.h"
#include "gui/app/about_dlg.h"
#include "gui/app/command_table.h"
#include "gui/app/display_scale.h"

using namespace kyrvana;
using kyrvana::gui::CAboutDlg;
using kyrvana::gui::CMainFrame;

namespace {

// A menu as text: its items' texts and shortcuts, submenus in brackets.
QString describeMenu(const QList<QAction*>& actions) {
    QStringList items;
    for (const QAction* action : actions) {
        if (action->menu() != nullptr) {
            items << action->text() + QStringLiteral("(") +
                         describeMenu(action->menu()->actions()) + QStringLiteral(")");
        } else if (!action->isSeparator()) {
            items << (action->shortcut().isEmpty()
                          ? action->text()
                          : action->text() + QStringLiteral("|") +
                                action->shortcut().toString(QKeySequence::PortableText));
        }
    }
    return items.join(QStringLiteral(", "));
}

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
    void menusHaveTheirTextsAndShortcuts();
    void connectionEnablesTheDeviceCommandsWhichLeaveByTheirId();
    void toolbarHasSixButtonsWithPrompts();
    void simulatedDeviceIsMarked();
    void sizesGrowWithTheDisplay_data();
    void sizesGrowWithTheDisplay();
};

void MainFrameTest::menusHaveTheirTextsAndShortcuts() {
    CMainFrame frame;
    QCOMPARE(describeMenu(frame.menuBar()->actions()),
             QStringLiteral("&File(&Open...|Ctrl+O, &Save|Ctrl+S, &Export Preview..., E&xit), "
                            "&View(), &Hardware(Read Device, Verify Device, Program Device, "
                            "Access Test Data, Calibration Mode, Load Cell Calibration, Move To "
                            "Position, Advanced(Force Control Settings, Disable Wells, Manual "
                            "Connect Device), Help(&About Kyrvana...))"));
}

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

void MainFrameTest::toolbarHasSixButtonsWithPrompts() {
    CMainFrame frame;
    QList<int> ids;
    for (QAction* action : frame.commandToolBar()->actions()) {
        ids << action->data().toInt();
        QCOMPARE(frame.commandToolBar()->widgetForAction(action)->size(), QSize(90, 38));
        QVERIFY(!action->icon().isNull());
        // Prompts without a tooltip part get one; it must never be empty.
        QVERIFY(!action->toolTip().isEmpty());
    }
    QCOMPARE(ids, (QList<int>{kCmdConnectionIndicator, kCmdFileOpen, kCmdFileSave, kCmdReadDevice,
                              kCmdProgramDevice, kCmdAccessTestData}));
    QCOMPARE(frame.commandToolBar()->iconSize(), QSize(83, 32));
    // A prompt is the status-bar text, then after a line feed the tooltip.
    QAction* open = frame.commandAction(kCmdFileOpen);
    QCOMPARE(open->statusTip(), QStringLiteral("Open Protocol File"));
    QCOMPARE(open->toolTip(), QStringLiteral("Open"));
}

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
    QCOMPARE(pane->text(), QStringLiteral("Simulated stimulator"));
    QVERIFY(indicator->icon().pixmap(QSize(83, 32)).toImage() != realLamp);
    QVERIFY(indicator->toolTip().contains(QStringLiteral("Simulated")));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Kyrvana"));

    frame.setSimulated(false);
    QVERIFY(!pane->isVisible());
}

void MainFrameTest::sizesGrowWithTheDisplay_data() {
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("96") << 96 << QSize(950, 600) << QSize(680, 529);
    QTest::newRow("144") << 144 << QSize(1425, 900) << QSize(1020, 793);
    QTest::newRow("120 rounds down") << 120 << QSize(1187, 750) << QSize(850, 661);
    QTest::newRow("unknown") << 0 << QSize(950, 600) << QSize(680, 529);
}

void MainFrameTest::sizesGrowWithTheDisplay() {
    QFETCH(int, dpi);
    QFETCH(QSize, frame);
    QFETCH(QSize, picture);
    const double scale = gui::displayScaleForDpi(dpi);
    QCOMPARE(gui::scaledSize(QSize(950, 600), scale), frame);
    QCOMPARE(CAboutDlg(scale).pictureSize(), picture);
}

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
