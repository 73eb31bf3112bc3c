// The Qt host of the document: what another thread asks is carried out on
// the GUI thread while that thread waits; log lines never make the writer
// wait; after shutDown() a waiting thread is answered without a box, so the
// window can join the request thread while it was waiting; the device status
// reaches the status bar.
#include "gui/app/qt_document_host.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <thread>

#include "connected_document.h"
#include "gui/app/main_frame.h"
#include "gui/editor/stage_view.h"
#include "support/wait_until.h"

using namespace kyrvana;
using namespace kyrvana::gui;

class QtDocumentHostTest : public QObject {
    Q_OBJECT

  private slots:
    void boxFromAnotherThreadIsShownOnTheGuiThread();
    void shutDownAnswersWaitingCallsWithoutABox();
    void logLinesNeverWait();
    void viewWorkRunsOnTheGuiThreadAndRefreshesTheView();
    void deviceStatusReachesTheStatusBarUntilShutDown();
};

void QtDocumentHostTest::boxFromAnotherThreadIsShownOnTheGuiThread() {
    RecordingMessageBoxes boxes;
    boxes.answer = QMessageBox::Yes;
    QtDocumentHost host(boxes);
    std::atomic<bool> done{false};
    BoxAnswer answer = BoxAnswer::Ok;
    std::thread asking([&] {
        answer = host.messageBox("Delete?", "KyrvanaP7", BoxIcon::Question, BoxButtons::YesNo);
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    asking.join();
    QCOMPARE(answer, BoxAnswer::Yes);
    // A call from the GUI thread runs at once. Bytes above 127 cross as
    // Latin-1 and come back unchanged.
    host.errorBox("Caf\xe9 \xb5m");
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[0].thread, QThread::currentThread());
    QCOMPARE(boxes.shown[0].text, QStringLiteral("Delete?"));
    QCOMPARE(boxes.shown[0].icon, QMessageBox::Question);
    // Enter answers a question from device work with No.
    QCOMPARE(boxes.shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(boxes.shown[1].text, QString::fromUtf8("Caf\u00e9 \u00b5m"));
    QCOMPARE(boxes.shown[1].icon, QMessageBox::Critical);
}

void QtDocumentHostTest::shutDownAnswersWaitingCallsWithoutABox() {
    RecordingMessageBoxes boxes;
    QtDocumentHost host(boxes);
    BoxAnswer answer = BoxAnswer::Yes;
    bool viewWorkRan = false;
    std::thread asking([&] {
        answer = host.messageBox("Go on?", "KyrvanaP7", BoxIcon::Question, BoxButtons::YesNo);
        // Later calls are answered at once as well.
        host.withView([&](SequenceViewModel&) { viewWorkRan = true; });
    });
    // Waits without running the event loop, so the queued box is not shown.
    QVERIFY(test_support::waitUntil([&] { return host.waitingCalls() == 1; }));
    host.shutDown();
    asking.join();  // would never return if the call still waited
    QCOMPARE(answer, BoxAnswer::No);
    QCoreApplication::processEvents();
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!viewWorkRan);
}

void QtDocumentHostTest::logLinesNeverWait() {
    ConnectedDocument device;  // not connected: only its host and document
    CStageView view(*device.document, *device.host, device.boxes);
    device.host->attach(device.document.get(), nullptr, &view);
    std::thread writer([&] {
        for (int line = 0; line < 200; ++line) {
            device.host->postLogLine("line " + std::to_string(line) + "\n");
        }
    });
    writer.join();  // returned although the GUI thread ran nothing
    QVERIFY(view.messagePane()->toPlainText().isEmpty());
    QTRY_COMPARE(view.model().messageLineCount, 200);
}

void QtDocumentHostTest::viewWorkRunsOnTheGuiThreadAndRefreshesTheView() {
    ConnectedDocument device;
    CStageView view(*device.document, *device.host, device.boxes);
    device.host->attach(device.document.get(), nullptr, &view);
    std::atomic<bool> done{false};
    QThread* workThread = nullptr;
    std::thread asking([&] {
        device.host->withView([&](SequenceViewModel& model) {
            workThread = QThread::currentThread();
            model.testName = "From the device";
            model.showRepeatCount(7);
        });
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    asking.join();
    QCOMPARE(workThread, QThread::currentThread());
    QCOMPARE(view.testNameEdit()->text(), QStringLiteral("From the device"));
    QCOMPARE(view.repeatEdit()->text(), QStringLiteral("7"));
}

// The status bar says what the device link is doing, told from the request
// thread without waiting for the window; nothing once the host is shut down.
void QtDocumentHostTest::deviceStatusReachesTheStatusBarUntilShutDown() {
    CMainFrame frame;
    RecordingMessageBoxes boxes;
    QtDocumentHost host(boxes);
    host.attach(nullptr, &frame, nullptr);
    std::thread([&] { host.deviceStatusChanged(DeviceStatus::Programming); }).join();
    QTRY_COMPARE(frame.statusText(), QString::fromUtf8("Programming\u2026"));

    host.shutDown();
    host.deviceStatusChanged(DeviceStatus::Disconnected);
    QCoreApplication::processEvents();
    QCOMPARE(frame.statusText(), QString::fromUtf8("Programming\u2026"));
}

QTEST_MAIN(QtDocumentHostTest)
#include "qt_document_host_test.moc"
