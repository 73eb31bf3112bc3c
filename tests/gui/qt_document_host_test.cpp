// The Qt host of the document: what another thread asks is carried out on
// the GUI thread while that thread waits; log lines never make the writer
// wait; after shutDown() a waiting thread is answered without a box, so the
// window can join the request thread while it was waiting.
#include "gui/app/qt_document_host.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "connected_document.h"
#include "gui/editor/stage_view.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

// Records the thread each box was shown on.
class ThreadRecordingBoxes final : public MessageBoxes {
  public:
    QMessageBox::StandardButton show(QWidget*, const QString& caption, const QString& text,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons,
                                     QMessageBox::StandardButton defaultButton) override {
        threads.append(QThread::currentThread());
        defaults.append(defaultButton);
        captions.append(caption);
        texts.append(text);
        icons.append(icon);
        return answer;
    }
    QMessageBox::StandardButton showNamed(QWidget* parent, const QString& caption,
                                          const QString& text, QMessageBox::Icon icon,
                                          const QList<NamedButton>&,
                                          QMessageBox::StandardButton defaultButton) override {
        return show(parent, caption, text, icon, {}, defaultButton);
    }
    QList<QThread*> threads;
    QStringList captions;
    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QList<QMessageBox::StandardButton> defaults;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
};

// Waits without running the event loop, so nothing queued is carried out.
template <typename Condition>
bool waitWithoutEvents(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

class QtDocumentHostTest : public QObject {
    Q_OBJECT

  private slots:
    void boxFromAnotherThreadIsShownOnTheGuiThread();
    void callFromTheGuiThreadRunsAtOnce();
    void shutDownAnswersWaitingCallsWithoutABox();
    void logLinesNeverWaitAndArriveInOrder();
    void viewWorkRunsOnTheGuiThreadAndRefreshesTheView();
};

void QtDocumentHostTest::boxFromAnotherThreadIsShownOnTheGuiThread() {
    ThreadRecordingBoxes boxes;
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
    QCOMPARE(boxes.threads, QList<QThread*>{QThread::currentThread()});
    QCOMPARE(boxes.texts, QStringList{"Delete?"});
    QCOMPARE(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Question});
    // Enter answers a question from device work with No.
    QCOMPARE(boxes.defaults, QList<QMessageBox::StandardButton>{QMessageBox::No});
}

void QtDocumentHostTest::callFromTheGuiThreadRunsAtOnce() {
    ThreadRecordingBoxes boxes;
    boxes.answer = QMessageBox::Ok;
    QtDocumentHost host(boxes);
    // Bytes above 127 cross as Latin-1 and come back unchanged.
    host.errorBox("Caf\xe9 \xb5m");
    QCOMPARE(boxes.texts, QStringList{QString::fromUtf8("Caf\u00e9 \u00b5m")});
    QCOMPARE(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Critical});
    QCOMPARE(boxes.captions, QStringList{"KyrvanaP7"});
    QCOMPARE(boxes.defaults, QList<QMessageBox::StandardButton>{QMessageBox::NoButton});
}

void QtDocumentHostTest::shutDownAnswersWaitingCallsWithoutABox() {
    ThreadRecordingBoxes boxes;
    QtDocumentHost host(boxes);
    BoxAnswer answer = BoxAnswer::Yes;
    bool viewWorkRan = false;
    std::thread asking([&] {
        answer = host.messageBox("Go on?", "KyrvanaP7", BoxIcon::Question, BoxButtons::YesNo);
        // Later calls are answered at once as well.
        host.withView([&](SequenceViewModel&) { viewWorkRan = true; });
    });
    QVERIFY(waitWithoutEvents([&] { return host.waitingCalls() == 1; }));
    host.shutDown();
    asking.join();  // would never return if the call still waited
    QCOMPARE(answer, BoxAnswer::No);
    QCoreApplication::processEvents();
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(!viewWorkRan);
}

void QtDocumentHostTest::logLinesNeverWaitAndArriveInOrder() {
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
    const QStringList lines = view.messagePane()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("line 0"));
    QCOMPARE(lines.at(199), QStringLiteral("line 199"));
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

QTEST_MAIN(QtDocumentHostTest)
#include "qt_document_host_test.moc"
