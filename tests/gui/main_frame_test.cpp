// The main frame: its menu and toolbar come from the command table, the
// device commands follow the connection, and commands leave by their id.
#include "gui/app/main_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "core/document/command_ids.h"
#include "gui/app/about_dlg.h"
#include "gui/app/display_scale.h"

using namespace kyrvana;
using kyrvana::gui::CAboutDlg;
using kyrvana::gui::CMainFrame;

namespace {

// The actions of a menu path, with submenus as "Title >".
QStringList describeMenu(const QMenu* menu) {
    QStringList lines;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        if (action->menu() != nullptr) {
            lines << action->text() + QStringLiteral(" >");
            for (const QString& line : describeMenu(action->menu())) {
                lines << QStringLiteral("  ") + line;
            }
        } else {
            lines << QStringLiteral("%1|%2|%3")
                         .arg(action->text(),
                              action->shortcut().toString(QKeySequence::PortableText))
                         .arg(action->data().toInt());
        }
    }
    return lines;
}

QMenu* topMenu(const CMainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void menusHaveTheirTextsShortcutsAndIds();
    void connectionEnablesExactlyTheDeviceCommands();
    void commandsLeaveByTheirId();
    void toolbarHasSixButtonsWithPrompts();
    void statusTipsFallBackToReady();
    void simulatedDeviceIsMarked();
    void windowGrowsFromItsFirstSize();
    void sizesGrowWithTheDisplay_data();
    void sizesGrowWithTheDisplay();
    void centralViewReplacesThePlaceholder();
};

void MainFrameTest::menusHaveTheirTextsShortcutsAndIds() {
    CMainFrame frame;
    QStringList titles;
    for (const QAction* action : frame.menuBar()->actions()) {
        titles << action->text();
    }
    QCOMPARE(titles, (QStringList{"&File", "&View", "&Hardware"}));

    QCOMPARE(describeMenu(topMenu(frame, "&File")),
             (QStringList{"&Open...|Ctrl+O|57601", "&Save|Ctrl+S|57603",
                          "&Export Preview...||32800", "E&xit||57665"}));
    QCOMPARE(frame.viewMenu(), topMenu(frame, "&View"));
    QCOMPARE(
        describeMenu(topMenu(frame, "&Hardware")),
        (QStringList{"Read Device||32771", "Verify Device||32793", "Program Device||32772",
                     "Access Test Data||32784", "Calibration Mode||32783",
                     "Load Cell Calibration||32786", "Move To Position||32778", "Advanced >",
                     "  Force Control Settings||32788", "  Disable Wells||32792",
                     "  Manual Connect Device||32791", "Help >", "  &About Kyrvana...||57664"}));
}

void MainFrameTest::connectionEnablesExactlyTheDeviceCommands() {
    CMainFrame frame;
    const QList<int> followConnection{
        kCmdFileOpen,      kCmdFileSave,       kCmdReadDevice,     kCmdVerifyDevice,
        kCmdProgramDevice, kCmdAccessTestData, kCmdMoveToPosition, kCmdConnectionIndicator};
    const QList<int> alwaysEnabled{
        kCmdAppExit,      kCmdLoadCellCalibration, kCmdForceControlSettings,
        kCmdDisableWells, kCmdManualConnectDevice, kCmdAppAbout,
        kCmdExportPreview};

    for (const bool connected : {false, true, false}) {
        frame.setConnected(connected);
        QCOMPARE(frame.isConnected(), connected);
        for (const int id : followConnection) {
            QVERIFY2(frame.commandAction(id)->isEnabled() == connected,
                     qPrintable(QStringLiteral("command %1").arg(id)));
        }
        for (const int id : alwaysEnabled) {
            QVERIFY2(frame.commandAction(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(!frame.commandAction(kCmdCalibrationMode)->isEnabled());
    }
}

void MainFrameTest::commandsLeaveByTheirId() {
    CMainFrame frame;
    QSignalSpy spy(&frame, &CMainFrame::commandTriggered);

    // Disabled while no device is connected: nothing is sent.
    frame.commandAction(kCmdReadDevice)->trigger();
    QCOMPARE(spy.count(), 0);

    frame.setConnected(true);
    for (const int id : {kCmdReadDevice, kCmdVerifyDevice, kCmdProgramDevice, kCmdFileSave,
                         kCmdDisableWells, kCmdForceControlSettings, kCmdManualConnectDevice}) {
        frame.commandAction(id)->trigger();
    }
    // The connection indicator has no handler.
    frame.commandAction(kCmdConnectionIndicator)->trigger();
    QList<int> ids;
    for (const QList<QVariant>& call : spy) {
        ids << call.at(0).toInt();
    }
    QCOMPARE(ids,
             (QList<int>{kCmdReadDevice, kCmdVerifyDevice, kCmdProgramDevice, kCmdFileSave,
                         kCmdDisableWells, kCmdForceControlSettings, kCmdManualConnectDevice}));

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
        QWidget* button = frame.commandToolBar()->widgetForAction(action);
        QVERIFY(button != nullptr);
        QCOMPARE(button->size(), QSize(90, 38));
        QVERIFY(!action->icon().isNull());
    }
    QCOMPARE(ids, (QList<int>{kCmdConnectionIndicator, kCmdFileOpen, kCmdFileSave, kCmdReadDevice,
                              kCmdProgramDevice, kCmdAccessTestData}));
    QCOMPARE(frame.commandToolBar()->iconSize(), QSize(83, 32));

    QAction* open = frame.commandAction(kCmdFileOpen);
    QCOMPARE(open->statusTip(), QStringLiteral("Open Protocol File"));
    QCOMPARE(open->toolTip(), QStringLiteral("Open"));
    QCOMPARE(frame.commandAction(kCmdFileSave)->statusTip(),
             QStringLiteral("Save As Protocol File"));
    QCOMPARE(frame.commandAction(kCmdFileSave)->toolTip(), QStringLiteral("Save"));
    QCOMPARE(frame.commandAction(kCmdReadDevice)->statusTip(),
             QStringLiteral("Read Kyrvana Device"));
    QCOMPARE(frame.commandAction(kCmdProgramDevice)->statusTip(),
             QStringLiteral("Program Kyrvana Device"));
    QCOMPARE(frame.commandAction(kCmdConnectionIndicator)->statusTip(),
             QStringLiteral("Ensure that the device is powered on and all cables are properly "
                            "connected"));
    // Prompts without a tooltip part get one; it must never be empty.
    for (QAction* action : frame.commandToolBar()->actions()) {
        QVERIFY(!action->toolTip().isEmpty());
    }
}

void MainFrameTest::statusTipsFallBackToReady() {
    CMainFrame frame;
    QCOMPARE(frame.statusText(), QStringLiteral("Ready"));
    QStatusTipEvent tip(QStringLiteral("Read Kyrvana Device"));
    QCoreApplication::sendEvent(&frame, &tip);
    QCOMPARE(frame.statusText(), QStringLiteral("Read Kyrvana Device"));
    QStatusTipEvent cleared{QString()};
    QCoreApplication::sendEvent(&frame, &cleared);
    QCOMPARE(frame.statusText(), QStringLiteral("Ready"));
}

void MainFrameTest::simulatedDeviceIsMarked() {
    CMainFrame frame;
    frame.show();
    auto* pane = frame.findChild<QWidget*>(QStringLiteral("simulatedPane"));
    QVERIFY(pane != nullptr);
    QVERIFY(!pane->isVisible());
    QAction* indicator = frame.commandAction(kCmdConnectionIndicator);
    const QImage realLamp = indicator->icon().pixmap(QSize(83, 32)).toImage();

    frame.setSimulated(true);
    frame.setConnected(true);
    QVERIFY(pane->isVisible());
    QCOMPARE(qobject_cast<QLabel*>(pane)->text(), QStringLiteral("Simulated stimulator"));
    QVERIFY(indicator->icon().pixmap(QSize(83, 32)).toImage() != realLamp);
    QVERIFY(indicator->toolTip().contains(QStringLiteral("Simulated")));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Kyrvana"));

    frame.setSimulated(false);
    QVERIFY(!pane->isVisible());
}

void MainFrameTest::windowGrowsFromItsFirstSize() {
    CMainFrame frame;
    QCOMPARE(frame.windowTitle(), QStringLiteral("Kyrvana"));
    const QSize first = gui::scaledSize(QSize(950, 600), frame.scale());
    QCOMPARE(frame.size(), first);
    QCOMPARE(frame.minimumSize(), first);
    QVERIFY(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(frame.windowFlags() & Qt::WindowMinimizeButtonHint);

    frame.show();
    frame.resize(first + QSize(400, 300));
    QCOMPARE(frame.size(), first + QSize(400, 300));
    frame.resize(first - QSize(100, 100));
    QCOMPARE(frame.size(), first);
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

void MainFrameTest::centralViewReplacesThePlaceholder() {
    CMainFrame frame;
    QVERIFY(frame.findChild<QWidget*>(QStringLiteral("centralPlaceholder")) != nullptr);
    QPointer<QWidget> view = new QWidget;
    frame.setCentralView(view);
    QCOMPARE(frame.centralWidget(), view.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(frame.findChild<QWidget*>(QStringLiteral("centralPlaceholder")) == nullptr);
}

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
