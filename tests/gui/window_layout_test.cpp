// The main window's layout: the form, the preview and the message pane share
// the window's height, the preview can be hidden from the View menu, and the
// window's size, the splitter and the preview's toggle come back in the next
// run.
#include "gui/app/window_layout.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/display_scale.h"
#include "gui/app/main_frame.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/stage_view.h"
#include "recording_message_boxes.h"
#include "scripted_file_dialogs.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

// One run of the program's window, without a stimulator, keeping its
// settings in `folder`.
struct Run {
    explicit Run(const QTemporaryDir& folder)
        : settings(std::make_unique<QSettings>(folder.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat)) {
        DocumentOptions options;
        options.sysfsRoot = folder.filePath(QStringLiteral("no-ports")).toStdString();
        session.emplace(frame, settings, boxes, dialogs, options);
    }
    ~Run() {
        frame.close();
        session.reset();
    }

    QSplitter& splitter() { return *session->view().splitter(); }
    QWidget& preview() { return session->preview(); }
    QAction& toggle() { return *session->preview().toggleAction(); }
    int heightOf(QWidget* part) { return splitter().sizes().value(splitter().indexOf(part)); }

    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    AppSettings settings;
    CMainFrame frame;
    std::optional<ApplicationSession> session;
};

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void firstRunGivesThePreviewMostOfTheRoom();
    void extraHeightIsShared();
    void layoutComesBackInTheNextRun();
};

void WindowLayoutTest::firstRunGivesThePreviewMostOfTheRoom() {
    QTemporaryDir folder;
    Run run(folder);
    run.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.frame));
    // At its least, and at least the form's 950 x 600; wider where the
    // sequence list's columns need it in the font in use.
    QCOMPARE(run.frame.size(), run.frame.minimumSize());
    const QSize form = scaledSize(QSize(950, 600), run.frame.scale());
    QCOMPARE(run.frame.height(), form.height());
    QVERIFY(run.frame.width() >= form.width());
    QVERIFY(run.frame.width() >= run.session->view().minimumSizeHint().width());
    QVERIFY(run.toggle().isChecked());
    QVERIFY(run.preview().isVisible());
    QVERIFY(run.heightOf(&run.preview()) > run.heightOf(run.session->view().messagePane()));
    QCOMPARE(run.frame.viewMenu()->actions(), QList<QAction*>{&run.toggle()});
}

void WindowLayoutTest::extraHeightIsShared() {
    QTemporaryDir folder;
    Run run(folder);
    run.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.frame));
    QWidget* form = run.splitter().widget(0);
    QWidget* pane = run.session->view().messagePane();
    const int formBefore = run.heightOf(form);
    const int previewBefore = run.heightOf(&run.preview());
    const int paneBefore = run.heightOf(pane);

    run.frame.resize(run.frame.size() + QSize(0, 500));
    QTRY_VERIFY(run.heightOf(&run.preview()) > previewBefore);
    QVERIFY(run.heightOf(form) > formBefore);
    QVERIFY(run.heightOf(pane) > paneBefore);
    // The chart gains the most.
    QVERIFY(run.heightOf(&run.preview()) - previewBefore > run.heightOf(pane) - paneBefore);
}

void WindowLayoutTest::layoutComesBackInTheNextRun() {
    QTemporaryDir folder;
    const QSize larger = scaledSize(QSize(950, 600), 1.0) + QSize(330, 210);
    QList<int> heights;
    {
        Run first(folder);
        first.frame.resize(larger);
        first.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first.frame));
        QList<int> sizes = first.splitter().sizes();
        sizes[0] += 40;
        sizes[1] -= 60;
        sizes[2] += 20;
        first.splitter().setSizes(sizes);
        heights = first.splitter().sizes();
    }
    {
        Run second(folder);
        QCOMPARE(second.frame.size(), larger);
        second.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second.frame));
        QCOMPARE(second.splitter().sizes(), heights);
        // Hidden from the View menu, and remembered so.
        second.toggle().trigger();
        QVERIFY(!second.preview().isVisible());
    }
    {
        Run third(folder);
        third.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&third.frame));
        QVERIFY(!third.toggle().isChecked());
        QVERIFY(!third.preview().isVisible());
        // Shown again, it gets its room back.
        third.toggle().trigger();
        QVERIFY(third.preview().isVisible());
        QTRY_VERIFY(third.heightOf(&third.preview()) > 0);
    }
}

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
