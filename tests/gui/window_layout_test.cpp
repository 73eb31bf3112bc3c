// The main window's layout: the form, the preview and the message pane share
// the window's height, the preview can be hidden from the View menu, and the
// window's size, the splitter and the preview's toggle come back in the next
// run.
#include "gui/app/window_layout.h"

#include <QMenu>
#include <QSplitter>

#include "gui/app/display_scale.h"
#include "gui/editor/sequence_preview.h"
#include "session_window.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

// One run of the program's window, with its stimulator unplugged before the
// window first shows (the layout needs no device), keeping its settings in
// `keep` for the next run, which it writes as it closes.
struct Run : SessionWindow {
    explicit Run(const QTemporaryDir& keep)
        : SessionWindow(keep.filePath(QStringLiteral("settings.ini"))) {
        device.unplug();
    }
    ~Run() { frame.close(); }

    bool shown() {
        frame.show();
        return QTest::qWaitForWindowExposed(&frame);
    }
    QSplitter& splitter() { return *view().splitter(); }
    QWidget& preview() { return session->preview(); }
    QAction& toggle() { return *session->preview().toggleAction(); }
    int heightOf(QWidget* part) { return splitter().sizes().value(splitter().indexOf(part)); }
};

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void firstRunGivesThePreviewMostOfTheRoom();
    void layoutComesBackInTheNextRun();
};

void WindowLayoutTest::firstRunGivesThePreviewMostOfTheRoom() {
    QTemporaryDir folder;
    Run run(folder);
    QVERIFY(run.shown());
    // At its least, and at least the form's 950 x 600; wider where the
    // sequence list's columns need it in the font in use.
    QCOMPARE(run.frame.size(), run.frame.minimumSize());
    QVERIFY(run.frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    const QSize form = scaledSize(QSize(950, 600), run.frame.scale());
    QCOMPARE(run.frame.height(), form.height());
    QVERIFY(run.frame.width() >= form.width());
    QVERIFY(run.frame.width() >= run.view().minimumSizeHint().width());
    QVERIFY(run.toggle().isChecked());
    QCOMPARE(run.frame.viewMenu()->actions(), QList<QAction*>{&run.toggle()});

    // Extra height is shared, and the chart gains the most.
    const QList<int> before = run.splitter().sizes();
    run.frame.resize(run.frame.size() + QSize(0, 500));
    QTRY_VERIFY(run.heightOf(&run.preview()) > before[1]);
    const QList<int> after = run.splitter().sizes();
    QVERIFY(after[0] > before[0] && after[2] > before[2]);
    QVERIFY(after[1] - before[1] > after[2] - before[2]);
    QVERIFY(before[1] > before[2]);
}

void WindowLayoutTest::layoutComesBackInTheNextRun() {
    QTemporaryDir folder;
    const QSize larger = scaledSize(QSize(950, 600), 1.0) + QSize(330, 210);
    QList<int> heights;
    {
        Run first(folder);
        first.frame.resize(larger);
        QVERIFY(first.shown());
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
        QVERIFY(second.shown());
        QCOMPARE(second.splitter().sizes(), heights);
        // Hidden from the View menu, and remembered so.
        second.toggle().trigger();
        QVERIFY(!second.preview().isVisible());
    }
    Run third(folder);
    QVERIFY(third.shown());
    QVERIFY(!third.toggle().isChecked());
    QVERIFY(!third.preview().isVisible());
    // Shown again, it gets its room back.
    third.toggle().trigger();
    QVERIFY(third.preview().isVisible());
    QTRY_VERIFY(third.heightOf(&third.preview()) > 0);
}

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
