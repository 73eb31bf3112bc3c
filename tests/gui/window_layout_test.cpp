// What the program keeps for its next run: the per-user folders, the
// window's size, the heights of the form, the preview and the message pane,
// and the preview's toggle in the View menu.
#include "gui/app/window_layout.h"

#include <QSplitter>
#include <QStandardPaths>

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
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void settingsComeBackInTheNextRun();
};

void WindowLayoutTest::settingsComeBackInTheNextRun() {
    QTemporaryDir folder;
    const QSize larger = scaledSize(QSize(950, 600), 1.0) + QSize(330, 210);
    QList<int> heights;
    {
        Run first(folder);
        // Until they are chosen, the folders are under the user's documents.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(first.settings.dataDir(), documents + QStringLiteral("/Kyrvana/Data"));
        QCOMPARE(first.settings.templateDir(), documents + QStringLiteral("/Kyrvana/Templates"));
        first.settings.setDataDir(QStringLiteral("/lab/data"));
        first.settings.setTemplateDir(QStringLiteral("/lab/templates"));
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
        QCOMPARE(second.settings.dataDir(), QStringLiteral("/lab/data"));
        // Under the file's "Settings" section.
        QCOMPARE(QSettings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat)
                     .value(QStringLiteral("Settings/TemplateDir")),
                 QVariant(QStringLiteral("/lab/templates")));
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
