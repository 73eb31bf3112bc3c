// The status bar's message pane says what the device link is doing: the
// running operation, "Disconnected" after an unplug, "Ready" otherwise; a
// menu item's prompt shows over it while the item is pointed at.
#include <QStatusTipEvent>
#include <QtTest>
#include <thread>

#include "gui/app/qt_document_host.h"
#include "session_window.h"

using namespace kyrvana;
using namespace kyrvana::gui;

class StatusLineTest : public QObject {
    Q_OBJECT

  private slots:
    void promptsShowOverTheDeviceStatus();
    void followsConnectProgramAndUnplug();
};

void StatusLineTest::promptsShowOverTheDeviceStatus() {
    CMainFrame frame;
    RecordingMessageBoxes boxes;
    QtDocumentHost host(boxes);
    host.attach(nullptr, &frame, nullptr);

    // From the request thread, without waiting for the window.
    std::thread([&] { host.deviceStatusChanged(DeviceStatus::Programming); }).join();
    QTRY_COMPARE(frame.statusText(), QString::fromUtf8("Programming\u2026"));

    QStatusTipEvent tip(QStringLiteral("Read Kyrvana Device"));
    QCoreApplication::sendEvent(&frame, &tip);
    host.deviceStatusChanged(DeviceStatus::Reading);
    QCoreApplication::processEvents();
    QCOMPARE(frame.statusText(), QStringLiteral("Read Kyrvana Device"));
    QStatusTipEvent cleared{QString()};
    QCoreApplication::sendEvent(&frame, &cleared);
    QCOMPARE(frame.statusText(), QString::fromUtf8("Reading\u2026"));

    // Nothing reaches the window once the host is shut down.
    host.shutDown();
    host.deviceStatusChanged(DeviceStatus::Disconnected);
    QCoreApplication::processEvents();
    QCOMPARE(frame.statusText(), QString::fromUtf8("Reading\u2026"));

    const QStringList texts = {CMainFrame::deviceStatusText(DeviceStatus::Ready),
                               CMainFrame::deviceStatusText(DeviceStatus::Connecting),
                               CMainFrame::deviceStatusText(DeviceStatus::Disconnected),
                               CMainFrame::deviceStatusText(DeviceStatus::Verifying)};
    QCOMPARE(texts,
             (QStringList{QStringLiteral("Ready"), QString::fromUtf8("Connecting\u2026"),
                          QStringLiteral("Disconnected"), QString::fromUtf8("Verifying\u2026")}));
}

void StatusLineTest::followsConnectProgramAndUnplug() {
    SessionWindow window;
    QVERIFY2(window.started, window.error.c_str());
    QVERIFY(window.showAndConnect());
    QTRY_COMPARE(window.frame.statusText(), QStringLiteral("Ready"));

    SetRecord set;
    set.holdTimeMs = 250;
    window.compose({set, set, set});
    // Slow enough answers that the operation is seen while it runs.
    window.device.simulator().setLatency(std::chrono::milliseconds(20));
    window.action(kCmdProgramDevice)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(window.frame.statusText(), QString::fromUtf8("Programming\u2026"),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        window.pane().contains(QStringLiteral("Programming Device... Success")), 20000);
    QTRY_COMPARE(window.frame.statusText(), QStringLiteral("Ready"));
    window.device.simulator().setLatency(std::chrono::milliseconds(0));

    window.device.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(window.frame.statusText(), QStringLiteral("Disconnected"), 10000);
    QVERIFY(window.device.plug());
    QTRY_COMPARE_WITH_TIMEOUT(window.frame.statusText(), QStringLiteral("Ready"), 10000);
    QVERIFY(window.boxes.shown.isEmpty());
}

QTEST_MAIN(StatusLineTest)
#include "status_line_test.moc"
