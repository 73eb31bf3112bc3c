// An edited sequence is never lost without a question: closing the window,
// File > Open and Read Device ask Save / Discard / Cancel first, and only
// when the sequence differs from the one last opened, saved or read.
#include <QFile>
#include <QtTest>

#include "core/protocol/protocol_writer.h"
#include "gui/app/unsaved_sequence_prompt.h"
#include "session_window.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

SetRecord namedSet(const char* name) {
    SetRecord set;
    set.name = name;
    set.holdTimeMs = 250;
    return set;
}

// The questions shown so far that asked to save the sequence.
int prompts(const RecordingMessageBoxes& boxes) {
    int count = 0;
    for (const RecordingMessageBoxes::Box& box : boxes.shown) {
        if (box.text.startsWith(QString::fromLatin1(kSequenceChangedText))) {
            ++count;
        }
    }
    return count;
}

// A window with a sequence the user has just changed: opened as "Opened",
// then a set inserted below it.
struct EditedWindow : SessionWindow {
    bool ready() {
        if (!started || !showAndConnect()) {
            return false;
        }
        compose({namedSet("Opened")});
        view().selectRow(0);
        view().insertBelow();
        return view().model().isModified();
    }
};

}  // namespace

class SavePromptTest : public QObject {
    Q_OBJECT

  private slots:
    void nothingIsAskedWhenNothingChanged();
    void cancelKeepsEverything();
    void discardGoesOn();
    void aSaveThatDidNotHappenStopsTheCommandAndOneThatDidGoesOn();
};

void SavePromptTest::nothingIsAskedWhenNothingChanged() {
    EditedWindow window;
    QVERIFY(window.ready());
    // An edit undone by hand is no change.
    window.view().selectRow(1);
    window.view().deleteSet();
    QVERIFY(!window.view().model().isModified());

    window.action(kCmdFileOpen)->trigger();  // the scripted dialog cancels
    QCOMPARE(window.dialogs.requests.size(), 1);
    window.action(kCmdReadDevice)->trigger();
    QCOMPARE(window.session->document().pendingRequest(), DeviceRequest::ReadDevice);
    QVERIFY(window.frame.close());
    QCOMPARE(prompts(window.boxes), 0);
}

void SavePromptTest::cancelKeepsEverything() {
    EditedWindow window;
    QVERIFY(window.ready());
    window.boxes.answer = QMessageBox::Cancel;

    QVERIFY(!window.frame.close());
    QVERIFY(window.frame.isVisible());
    QVERIFY(window.session->document().requestThreadRunning());

    window.action(kCmdFileOpen)->trigger();
    QVERIFY(window.dialogs.requests.isEmpty());

    // The request would still be waiting: the read needs the GUI thread,
    // which has not run since.
    window.action(kCmdReadDevice)->trigger();
    QCOMPARE(window.session->document().pendingRequest(), DeviceRequest::Idle);

    QCOMPARE(prompts(window.boxes), 3);
    QCOMPARE(window.boxes.shown[0].buttons,
             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(window.listNames(), (QStringList{"Opened", "Opened"}));
    QVERIFY(window.view().model().isModified());
}

void SavePromptTest::discardGoesOn() {
    EditedWindow window;
    QVERIFY(window.ready());
    window.boxes.answer = QMessageBox::Discard;
    window.action(kCmdProgramDevice)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        window.pane().contains(QStringLiteral("Programming Device... Success")), 15000);
    // Programming does not count as saving.
    QVERIFY(window.view().model().isModified());

    window.view().insertBelow();
    window.action(kCmdReadDevice)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window.pane().contains(QStringLiteral("Reading Device... Success")),
                             15000);
    QCOMPARE(window.listNames(), (QStringList{"Opened", "Opened"}));
    QCOMPARE(prompts(window.boxes), 1);
    QVERIFY(!window.view().model().isModified());

    window.view().insertBelow();
    QVERIFY(window.frame.close());
    QVERIFY(!window.session->document().requestThreadRunning());
    QCOMPARE(prompts(window.boxes), 2);
}

void SavePromptTest::aSaveThatDidNotHappenStopsTheCommandAndOneThatDidGoesOn() {
    EditedWindow window;
    QVERIFY(window.ready());
    window.boxes.answer = QMessageBox::Save;
    const QString other = window.folder.filePath(QStringLiteral("other.tmt"));
    Protocol otherSequence;
    otherSequence.append(namedSet("Other"));
    QVERIFY(writeProtocolFile(other.toStdString(), otherSequence, HardwareSettings{}).written());
    window.dialogs.savePath = window.folder.filePath(QStringLiteral("edited.tmt"));
    window.dialogs.openPath = other;
    window.action(kCmdFileOpen)->trigger();
    QCOMPARE(prompts(window.boxes), 1);
    QVERIFY(QFile::exists(window.dialogs.savePath));
    QCOMPARE(window.listNames(), QStringList{"Other"});
    QVERIFY(!window.view().model().isModified());

    window.view().insertBelow();
    window.dialogs.savePath.clear();  // the save dialog is cancelled
    QVERIFY(!window.frame.close());
    QVERIFY(window.view().model().isModified());

    // The device has gone: the prompt still saves, though File > Save is off.
    window.device.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!window.session->document().deviceReady(), 10000);
    window.dialogs.savePath = window.folder.filePath(QStringLiteral("kept.tmt"));
    QVERIFY(window.frame.close());
    QVERIFY(QFile::exists(window.dialogs.savePath));
}

QTEST_MAIN(SavePromptTest)
#include "save_prompt_test.moc"
