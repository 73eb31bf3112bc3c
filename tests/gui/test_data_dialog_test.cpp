// The Access Test Data dialog against the simulated stimulator: what it
// shows, its downloads and deletions done off the GUI thread with the
// controls disabled meanwhile, and its boxes answered by a recording fake.
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/device/device_link.h"
#include "gui/app/app_settings.h"
#include "gui/controls/report_ctrl.h"
#include "gui/testdata/access_test_data_dlg.h"
#include "recording_message_boxes.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

using kyrvana::DeviceLink;
using kyrvana::gui::AppSettings;
using kyrvana::gui::CAccessTestDataDlg;
using kyrvana::gui::CReportCtrl;
using kyrvana::gui::RecordingMessageBoxes;
using kyrvana::sim::SimulatorFault;
using kyrvana::test_support::RunningSimulator;

namespace {

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A simulator with a few data files, a link to it, settings in a temporary
// INI file and a download folder.
struct Bench {
    Bench() {
        device.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        device.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
        device.putFile("DATA/A.CSV", "x");
        device.putFile("TEST.INI", "[Test]\n");
        link.portName = device.portPath();
        link.OpenPort();
        link.serial.setReadTimeoutMs(400);
        settings = std::make_unique<AppSettings>(std::make_unique<QSettings>(
            folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
        settings->setDataDir(folder.filePath(QStringLiteral("data")));
    }

    std::unique_ptr<CAccessTestDataDlg> open() {
        auto dialog = std::make_unique<CAccessTestDataDlg>(link, boxes, *settings);
        dialog->show();
        return dialog;
    }

    kyrvana::test::LogCapture log;
    RunningSimulator device;
    DeviceLink link;
    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    std::unique_ptr<AppSettings> settings;
};

bool allControlsEnabled(const CAccessTestDataDlg& dialog, bool enabled) {
    const std::initializer_list<const QWidget*> controls = {dialog.fileList(),
                                                            dialog.folderEdit(),
                                                            dialog.scanButton(),
                                                            dialog.downloadButton(),
                                                            dialog.deleteSelectedButton(),
                                                            dialog.deleteAllButton(),
                                                            dialog.browseButton(),
                                                            dialog.doneButton()};
    return std::all_of(controls.begin(), controls.end(), [enabled](const QWidget* control) {
        return control->isEnabled() == enabled;
    });
}

QStringList listedNames(const CAccessTestDataDlg& dialog) {
    QStringList names;
    for (int row = 0; row < dialog.fileList()->itemCount(); ++row) {
        names << dialog.fileList()->itemText(row, 0);
    }
    return names;
}

void selectRows(CAccessTestDataDlg& dialog, std::initializer_list<int> rows) {
    for (int row : rows) {
        dialog.fileList()->setItemState(row, CReportCtrl::kStateSelected,
                                        CReportCtrl::kStateSelected);
    }
}

// Runs a real event loop (QTRY's waiting sleeps between its turns) until the
// dialog's device work has ended, with a deadline.
void runUntilIdle(CAccessTestDataDlg& dialog) {
    if (!dialog.busy()) {
        return;
    }
    QEventLoop loop;
    QObject::connect(&dialog, &CAccessTestDataDlg::busyChanged, &loop, [&](bool busy) {
        if (!busy) {
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return QObject::eventFilter(watched, event);
    }
    int count = 0;
};

}  // namespace

#define WAIT_IDLE(dialog) QTRY_VERIFY_WITH_TIMEOUT(!(dialog).busy(), 15000)

class TestDataDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void opensWithTheCardSizeAndTheRememberedFolder();
    void scanListsTheDataFilesWhileTheControlsWait();
    void downloadsTheSelectedRowsTopToBottomWithProgress();
    void aBrokenTransferSaysIncompleteAndKeepsTheEarlierCopy();
    void aHostileNameGetsTheCannotOpenBox();
    void deletesSelectedAndAll();
    void aFailedDeletionShowsItsBoxAndDeleteAllEnds();
    void browseRemembersTheChosenFolder();
    void keepsRepaintingDuringALargeDownload();
};

void TestDataDialogTest::opensWithTheCardSizeAndTheRememberedFolder() {
    Bench bench;
    auto dialog = bench.open();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Access Test Data"));
    QCOMPARE(dialog->folderEdit()->text(), bench.folder.filePath(QStringLiteral("data")));
    QCOMPARE(dialog->fileList()->horizontalHeaderItem(0)->text(), QStringLiteral("File Name"));
    QCOMPARE(dialog->fileList()->horizontalHeaderItem(1)->text(), QStringLiteral("Size (kB)"));
    auto* advanced = dialog->findChild<QPushButton*>(QStringLiteral("advancedButton"));
    QVERIFY(advanced != nullptr);
    QVERIFY(!advanced->isVisible());
    QVERIFY(!advanced->isEnabled());
    // The card's size is asked at once, off the GUI thread.
    QVERIFY(allControlsEnabled(*dialog, false));
    WAIT_IDLE(*dialog);
    QVERIFY(allControlsEnabled(*dialog, true));
    QCOMPARE(dialog->volumeKB(), std::int64_t{7741440});
    QCOMPARE(dialog->usedStorageEdit()->text(), QStringLiteral("< 0.1%"));
    QCOMPARE(dialog->fileList()->itemCount(), 0);
    QCOMPARE(bench.device.sim().receivedCommands(),
             std::vector<std::string>{"QuerySDVolumeSizeKB"});
}

void TestDataDialogTest::scanListsTheDataFilesWhileTheControlsWait() {
    Bench bench;
    bench.device.sim().setLatency(std::chrono::milliseconds(50));
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    QSignalSpy busy(dialog.get(), &CAccessTestDataDlg::busyChanged);
    QTest::mouseClick(dialog->scanButton(), Qt::LeftButton);
    QVERIFY(dialog->busy());
    QVERIFY(allControlsEnabled(*dialog, false));
    // Done is refused meanwhile.
    dialog->reject();
    QVERIFY(dialog->isVisible());
    WAIT_IDLE(*dialog);
    QVERIFY(allControlsEnabled(*dialog, true));
    QCOMPARE(busy.count(), 2);
    QCOMPARE(listedNames(*dialog), (QStringList{"DEMO_0002.CSV", "DEMO_0001.CSV", "A.CSV"}));
    QCOMPARE(dialog->fileList()->itemText(0, 1), QStringLiteral("13"));
    QCOMPARE(dialog->fileList()->itemText(1, 1), QStringLiteral("3"));
    QCOMPARE(dialog->fileList()->itemText(2, 1), QStringLiteral("1"));
    // The three data files, the DATA folder and TEST.INI.
    QCOMPARE(dialog->responseLines().size(), std::size_t{5});
    // 15.501 kB of 7741440 kB.
    QCOMPARE(dialog->usedStorageEdit()->text(), QStringLiteral("< 0.1%"));
    dialog->reject();
    QVERIFY(!dialog->isVisible());
}

void TestDataDialogTest::downloadsTheSelectedRowsTopToBottomWithProgress() {
    Bench bench;
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    const QString typed = bench.folder.filePath(QStringLiteral("typed/here"));
    dialog->folderEdit()->setText(typed);
    selectRows(*dialog, {2, 1});
    QList<QPair<int, int>> progress;  // (value, maximum) as the bar moved
    connect(dialog->progressBar(), &QProgressBar::valueChanged, dialog.get(), [&](int value) {
        progress.append({value, dialog->progressBar()->maximum()});
    });
    QSignalSpy downloaded(dialog.get(), &CAccessTestDataDlg::fileDownloaded);
    bench.device.sim().clearReceivedCommands();
    // Answers that take a moment, as the device's do, so that the bar is
    // seen at each piece.
    bench.device.sim().setLatency(std::chrono::milliseconds(5));
    QTest::mouseClick(dialog->downloadButton(), Qt::LeftButton);
    QVERIFY(allControlsEnabled(*dialog, false));
    runUntilIdle(*dialog);
    QVERIFY(!dialog->busy());

    QCOMPARE(downloaded.count(), 2);
    QCOMPARE(downloaded.at(0).at(0).toString(), QStringLiteral("DEMO_0001.CSV"));
    QCOMPARE(downloaded.at(1).at(0).toString(), QStringLiteral("A.CSV"));
    QCOMPARE(readFile(typed + "/DEMO_0001.CSV"), std::string(2500, 'a'));
    QCOMPARE(readFile(typed + "/A.CSV"), std::string("x"));
    QCOMPARE(dialog->statusLabel()->text(), QStringLiteral("Download Complete"));
    QVERIFY(dialog->fileList()->selectedRows().isEmpty());
    // 2500 bytes: the bar runs 0..2 in three pieces, then back to 0.
    QVERIFY(progress.contains(QPair<int, int>(1, 2)));
    QVERIFY(progress.contains(QPair<int, int>(2, 2)));
    QCOMPARE(dialog->progressBar()->value(), 0);
    const auto commands = bench.device.sim().receivedCommands();
    QCOMPARE(commands.front(), std::string("ReadFileOnSDCardFirst(\"DEMO_0001.CSV\")"));
    QCOMPARE(std::count(commands.begin(), commands.end(), "ReadFileOnSDCardNext"), 4);
    // A typed folder is used but not remembered.
    QCOMPARE(bench.settings->dataDir(), bench.folder.filePath(QStringLiteral("data")));
    QVERIFY(bench.boxes.shown.isEmpty());
}

void TestDataDialogTest::aBrokenTransferSaysIncompleteAndKeepsTheEarlierCopy() {
    Bench bench;
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    const QString folder = dialog->folderEdit()->text();
    QVERIFY(QDir().mkpath(folder));
    std::ofstream((folder + "/DEMO_0002.CSV").toStdString()) << "last week's copy";
    SimulatorFault cut{SimulatorFault::Kind::CutShort, "ReadFileOnSDCardNext", 10};
    cut.skip = 3;
    cut.times = 1;
    bench.device.sim().addFault(cut);
    selectRows(*dialog, {0});
    dialog->downloadSelected();
    WAIT_IDLE(*dialog);
    QCOMPARE(dialog->statusLabel()->text(), QStringLiteral("Download Incomplete"));
    QCOMPARE(readFile(folder + "/DEMO_0002.CSV"), std::string("last week's copy"));
    // The three pieces before the short one, nothing after it.
    QCOMPARE(readFile(folder + "/DEMO_0002.CSV.incomplete").size(), std::size_t{3 * 1024});
    QVERIFY(bench.boxes.shown.isEmpty());
}

void TestDataDialogTest::aHostileNameGetsTheCannotOpenBox() {
    Bench bench;
    bench.device.putFile("DATA/..\\..\\EVIL.CSV", "evil");
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    QCOMPARE(dialog->fileList()->itemText(3, 0), QStringLiteral("..\\..\\EVIL.CSV"));
    selectRows(*dialog, {2, 3});
    dialog->downloadSelected();
    WAIT_IDLE(*dialog);
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].text, QStringLiteral("Error:  Cannot Open File for Writing"));
    QCOMPARE(bench.boxes.shown[0].icon, QMessageBox::Critical);
    // The other selected file still came.
    const QString folder = dialog->folderEdit()->text();
    QCOMPARE(readFile(folder + "/A.CSV"), std::string("x"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"A.CSV"});
    QVERIFY(dialog->fileList()->selectedRows().isEmpty());
}

void TestDataDialogTest::deletesSelectedAndAll() {
    Bench bench;
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    selectRows(*dialog, {0, 2});
    bench.device.sim().clearReceivedCommands();
    QTest::mouseClick(dialog->deleteSelectedButton(), Qt::LeftButton);
    QVERIFY(allControlsEnabled(*dialog, false));
    WAIT_IDLE(*dialog);
    QCOMPARE(listedNames(*dialog), QStringList{"DEMO_0001.CSV"});
    QCOMPARE(bench.device.sim().receivedCommands(),
             (std::vector<std::string>{"DeleteFileFromSDCard(\"A.CSV\")",
                                       "DeleteFileFromSDCard(\"DEMO_0002.CSV\")"}));

    // No: nothing is deleted.
    bench.boxes.answer = QMessageBox::No;
    dialog->deleteAll();
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].text, QStringLiteral("Delete All.  Are You sure?"));
    QCOMPARE(bench.boxes.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!dialog->busy());
    QCOMPARE(dialog->fileList()->itemCount(), 1);

    bench.boxes.answer = QMessageBox::Yes;
    dialog->deleteAll();
    WAIT_IDLE(*dialog);
    QCOMPARE(dialog->fileList()->itemCount(), 0);
    QVERIFY(dialog->files().empty());
    QVERIFY(!std::filesystem::exists(bench.device.sdCard() / "DATA" / "DEMO_0001.CSV"));
}

void TestDataDialogTest::aFailedDeletionShowsItsBoxAndDeleteAllEnds() {
    Bench bench;
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    bench.link.serial.setReadTimeoutMs(100);
    bench.device.sim().addFault(
        {SimulatorFault::Kind::NoAnswer, "DeleteFileFromSDCard(\"DEMO_0001.CSV\")"});
    bench.boxes.answer = QMessageBox::Yes;
    dialog->deleteAll();
    WAIT_IDLE(*dialog);
    // DEMO_0002 went; DEMO_0001 failed and Delete All stopped there.
    QCOMPARE(listedNames(*dialog), (QStringList{"DEMO_0001.CSV", "A.CSV"}));
    QCOMPARE(bench.boxes.shown.size(), 2);
    QCOMPARE(bench.boxes.shown[1].text, QStringLiteral("Error:  File Not Deleted"));
    QCOMPARE(dialog->usedStorageEdit()->text(), QStringLiteral("< 0.1%"));
}

void TestDataDialogTest::browseRemembersTheChosenFolder() {
    Bench bench;
    auto dialog = bench.open();
    WAIT_IDLE(*dialog);
    QString askedTitle;
    QString askedStart;
    QString answer = bench.folder.filePath(QStringLiteral("chosen"));
    dialog->setFolderChooser([&](QWidget*, const QString& title, const QString& start) {
        askedTitle = title;
        askedStart = start;
        return answer;
    });
    QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
    QCOMPARE(askedTitle, QStringLiteral("Select Download Folder Location"));
    QCOMPARE(askedStart, QDir::homePath());
    QCOMPARE(dialog->folderEdit()->text(), answer);
    QCOMPARE(bench.settings->dataDir(), answer);
    // Cancel keeps both.
    const QString chosen = answer;
    answer.clear();
    dialog->browse();
    QCOMPARE(dialog->folderEdit()->text(), chosen);
    QCOMPARE(bench.settings->dataDir(), chosen);
}

void TestDataDialogTest::keepsRepaintingDuringALargeDownload() {
    Bench bench;
    std::string content(1024 * 1024, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 4096);
    }
    bench.device.putFile("DATA/LARGE.DAT", content);
    auto dialog = bench.open();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    WAIT_IDLE(*dialog);
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    const int row = static_cast<int>(listedNames(*dialog).indexOf(QStringLiteral("LARGE.DAT")));
    selectRows(*dialog, {row});

    // How long the GUI thread went without running its event loop.
    QElapsedTimer sinceLast;
    qint64 longestStall = 0;
    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceLast.nsecsElapsed());
        sinceLast.restart();
        ++ticks;
    });
    PaintCounter paints;
    dialog->progressBar()->installEventFilter(&paints);
    int steps = 0;
    connect(dialog->progressBar(), &QProgressBar::valueChanged, [&] { ++steps; });
    QElapsedTimer took;
    took.start();
    sinceLast.start();
    heartbeat.start(1);
    dialog->downloadSelected();
    runUntilIdle(*dialog);
    heartbeat.stop();
    QVERIFY(!dialog->busy());
    QCOMPARE(readFile(dialog->folderEdit()->text() + "/LARGE.DAT"), content);
    // The bar moved and was painted while the transfer ran, and the event
    // loop kept turning.
    QVERIFY(steps > 10);
    QVERIFY(paints.count > 2);
    QVERIFY(ticks > 2);
    qInfo(
        "1 MiB download: %.0f ms, %d bar steps, %d paints, %d heartbeats, longest GUI stall "
        "%.2f ms",
        took.nsecsElapsed() / 1e6, steps, paints.count, ticks, longestStall / 1e6);
}

QTEST_MAIN(TestDataDialogTest)
#include "test_data_dialog_test.moc"
