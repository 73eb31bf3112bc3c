// The Access Test Data dialog against the simulated stimulator: what it
// shows, its downloads and deletions done off the GUI thread with the
// controls disabled meanwhile, and its boxes answered by a recording fake.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <memory>

#include "dialog_bench.h"
#include "gui/app/app_settings.h"
#include "gui/controls/report_ctrl.h"
#include "gui/sdcard/access_test_data_dlg.h"

using namespace kyrvana::gui;
using kyrvana::sim::SimulatorFault;

namespace {

constexpr int kShortPieceWaitMs = 1500;

// A card with a few data files, settings in a temporary INI file and a
// download folder.
struct Bench : DialogBench {
    Bench() {
        device.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        device.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
        device.putFile("DATA/A.CSV", "x");
        device.putFile("TEST.INI", "[Test]\n");
        settings = std::make_unique<AppSettings>(std::make_unique<QSettings>(
            folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
        settings->setDataDir(folder.filePath(QStringLiteral("data")));
    }

    std::unique_ptr<CAccessTestDataDlg> open() {
        auto dialog = std::make_unique<CAccessTestDataDlg>(link, boxes, *settings);
        dialog->show();
        return dialog;
    }

    QTemporaryDir folder;
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

// An open dialog that has listed the card.
std::unique_ptr<CAccessTestDataDlg> scanned(Bench& bench) {
    auto dialog = bench.open();
    if (!QTest::qWaitFor([&] { return !dialog->busy(); }, 30000)) {
        return nullptr;
    }
    dialog->scanForData();
    if (!QTest::qWaitFor([&] { return !dialog->busy(); }, 30000)) {
        return nullptr;
    }
    return dialog;
}

std::size_t countOf(const std::vector<std::string>& commands, const std::string& command) {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

}  // namespace

class TestDataDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void opensScansAndBrowsesWhileTheControlsWait();
    void downloadsTheSelectedRowsWithProgress();
    void existingCopiesAreReplacedOrSkippedAsAnswered();
    void deletesSelectedAndAllAfterAskingNoFirst();
    void cancelKeepsWhatArrivedAndTheLinkAnswers();
    void aFailureSaysWhyInTheStatus();
};

void TestDataDialogTest::opensScansAndBrowsesWhileTheControlsWait() {
    Bench bench;
    bench.device.sim().setLatency(std::chrono::milliseconds(50));
    auto dialog = bench.open();
    QCOMPARE(dialog->folderEdit()->text(), bench.folder.filePath(QStringLiteral("data")));
    // The card's size is asked at once, off the GUI thread.
    QVERIFY(allControlsEnabled(*dialog, false));
    WAIT_IDLE(*dialog);
    QVERIFY(allControlsEnabled(*dialog, true));
    QCOMPARE(dialog->usedStorageEdit()->text(), QStringLiteral("< 0.1%"));

    QTest::mouseClick(dialog->scanButton(), Qt::LeftButton);
    QVERIFY(allControlsEnabled(*dialog, false));
    // Done is refused meanwhile.
    dialog->reject();
    QVERIFY(dialog->isVisible());
    WAIT_IDLE(*dialog);
    QVERIFY(allControlsEnabled(*dialog, true));
    QCOMPARE(listedNames(*dialog), (QStringList{"DEMO_0002.CSV", "DEMO_0001.CSV", "A.CSV"}));

    // A folder chosen with Browse is remembered.
    const QString chosen = bench.folder.filePath(QStringLiteral("chosen"));
    dialog->setFolderChooser([&](QWidget*, const QString&, const QString&) { return chosen; });
    QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
    QCOMPARE(dialog->folderEdit()->text(), chosen);
    QCOMPARE(bench.settings->dataDir(), chosen);
    dialog->reject();
    QVERIFY(!dialog->isVisible());
}

void TestDataDialogTest::downloadsTheSelectedRowsWithProgress() {
    Bench bench;
    auto dialog = scanned(bench);
    QVERIFY(dialog != nullptr);
    const QString typed = bench.folder.filePath(QStringLiteral("typed/here"));
    dialog->folderEdit()->setText(typed);
    selectRows(*dialog, {2, 1});
    QList<QPair<int, int>> progress;  // (value, maximum) as the bar moved
    connect(dialog->progressBar(), &QProgressBar::valueChanged, dialog.get(), [&](int value) {
        progress.append({value, dialog->progressBar()->maximum()});
    });
    // Answers that take a moment, as the device's do, so that the bar is
    // seen at each piece.
    bench.device.sim().setLatency(std::chrono::milliseconds(5));
    QTest::mouseClick(dialog->downloadButton(), Qt::LeftButton);
    QVERIFY(allControlsEnabled(*dialog, false));
    // A real event loop (QTRY's waiting sleeps between its turns), so that
    // the bar is seen at each step.
    QSignalSpy idle(dialog.get(), &CAccessTestDataDlg::busyChanged);
    QVERIFY(idle.wait(30000));

    QVERIFY(QFile::exists(typed + "/DEMO_0001.CSV") && QFile::exists(typed + "/A.CSV"));
    QCOMPARE(dialog->statusLabel()->text(), QStringLiteral("Download Complete"));
    QVERIFY(dialog->fileList()->selectedRows().isEmpty());
    // 2500 bytes: the bar runs 0..2 in three pieces, then back to 0.
    QVERIFY(progress.contains(QPair<int, int>(1, 2)));
    QVERIFY(progress.contains(QPair<int, int>(2, 2)));
    QCOMPARE(dialog->progressBar()->value(), 0);
    // A typed folder is used but not remembered.
    QCOMPARE(bench.settings->dataDir(), bench.folder.filePath(QStringLiteral("data")));
}

void TestDataDialogTest::existingCopiesAreReplacedOrSkippedAsAnswered() {
    // DEMO_0002 and A.CSV have copies in the folder, DEMO_0001 has none; all
    // three are selected.
    constexpr auto yes = QMessageBox::Yes;
    constexpr auto no = QMessageBox::No;
    const QString complete = QStringLiteral("Download Complete");
    const QString skipped = complete + "; skipped %1 already in the download folder";
    const struct {
        QList<QMessageBox::StandardButton> answers;
        int questions;
        bool demo2Replaced;
        bool aReplaced;
        QString status;
    } cases[] = {
        {{yes, no}, 2, true, false, skipped.arg("1 file")},
        {{QMessageBox::YesToAll}, 1, true, true, complete},
        {{QMessageBox::NoToAll}, 1, false, false, skipped.arg("2 files")},
    };
    for (const auto& c : cases) {
        Bench bench;
        auto dialog = scanned(bench);
        QVERIFY(dialog != nullptr);
        const QString folder = dialog->folderEdit()->text();
        QVERIFY(QDir().mkpath(folder));
        std::ofstream((folder + "/DEMO_0002.CSV").toStdString()) << "old 2";
        std::ofstream((folder + "/A.CSV").toStdString()) << "old a";
        selectRows(*dialog, {0, 1, 2});
        bench.device.sim().clearReceivedCommands();
        bench.boxes.answers = c.answers;
        dialog->downloadSelected();
        WAIT_IDLE(*dialog);

        QCOMPARE(bench.boxes.shown.size(), c.questions);
        const auto& box = bench.boxes.shown[0];
        QCOMPARE(box.text, QStringLiteral("DEMO_0002.CSV is already in the download folder.\n"
                                          "Replace it with the copy on the device?"));
        QCOMPARE(box.buttonTexts, (QStringList{"Replace", "Skip", "Replace All", "Skip All"}));
        QCOMPARE(box.defaultButton, QMessageBox::No);
        // A skipped file is not asked of the device at all; DEMO_0001 had no
        // copy and came without a question.
        QVERIFY(QFile::exists(folder + "/DEMO_0001.CSV"));
        const auto commands = bench.device.sim().receivedCommands();
        QCOMPARE(countOf(commands, "ReadFileOnSDCardFirst(\"DEMO_0002.CSV\")"),
                 std::size_t{c.demo2Replaced});
        QCOMPARE(countOf(commands, "ReadFileOnSDCardFirst(\"A.CSV\")"), std::size_t{c.aReplaced});
        QCOMPARE(dialog->statusLabel()->text(), c.status);
        QVERIFY(dialog->fileList()->selectedRows().isEmpty());
    }
}

void TestDataDialogTest::deletesSelectedAndAllAfterAskingNoFirst() {
    Bench bench;
    auto dialog = scanned(bench);
    QVERIFY(dialog != nullptr);
    selectRows(*dialog, {0, 2});
    bench.device.sim().clearReceivedCommands();
    bench.boxes.answers = {QMessageBox::No, QMessageBox::Yes};
    QTest::mouseClick(dialog->deleteSelectedButton(), Qt::LeftButton);
    QVERIFY(!dialog->busy());
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].text,
             QStringLiteral("Delete 2 files from the device's SD card?\n\n"
                            "DEMO_0002.CSV\nA.CSV\n\n"
                            "Deleted files cannot be brought back."));
    QCOMPARE(bench.boxes.shown[0].defaultButton, QMessageBox::No);
    QVERIFY(bench.device.sim().receivedCommands().empty());

    QTest::mouseClick(dialog->deleteSelectedButton(), Qt::LeftButton);
    QVERIFY(allControlsEnabled(*dialog, false));
    WAIT_IDLE(*dialog);
    QCOMPARE(listedNames(*dialog), QStringList{"DEMO_0001.CSV"});

    bench.boxes.answers = {QMessageBox::No, QMessageBox::Yes};
    bench.boxes.shown.clear();
    dialog->deleteAll();
    QCOMPARE(bench.boxes.shown.size(), 1);
    QCOMPARE(bench.boxes.shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(dialog->fileList()->itemCount(), 1);
    dialog->deleteAll();
    WAIT_IDLE(*dialog);
    QCOMPARE(dialog->fileList()->itemCount(), 0);
}

// Cancel reaches the worker while the GUI thread keeps turning: the part
// that arrived is kept, the next file is not fetched and the link still
// answers.
void TestDataDialogTest::cancelKeepsWhatArrivedAndTheLinkAnswers() {
    Bench bench;
    bench.device.putFile("DATA/LARGE.DAT", std::string(1024 * 1024, 'L'));
    auto dialog = scanned(bench);
    QVERIFY(dialog != nullptr);
    // The third piece is held back a while, so that Cancel comes in the
    // middle of the file; should the click come late all the same, the
    // remaining thousand pieces still leave it time.
    SimulatorFault stall{SimulatorFault::Kind::Stall, "ReadFileOnSDCardNext"};
    stall.stall = std::chrono::milliseconds(1000);
    stall.skip = 2;
    stall.times = 1;
    bench.device.sim().addFault(stall);
    bench.device.sim().setLatency(std::chrono::milliseconds(1));
    const QStringList names = listedNames(*dialog);
    // LARGE.DAT and a file after it that must not be fetched.
    selectRows(*dialog, {static_cast<int>(names.indexOf("LARGE.DAT")),
                         static_cast<int>(names.indexOf("A.CSV"))});
    QTest::mouseClick(dialog->downloadButton(), Qt::LeftButton);
    QVERIFY(!dialog->doneButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->progressBar()->value() >= 1, 30000);
    // Escape stops a download as Cancel does (the button calls the same
    // stop), and the dialog stays to say what was kept.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    WAIT_IDLE(*dialog);
    QVERIFY(dialog->isVisible());

    const QString folder = dialog->folderEdit()->text();
    QVERIFY(!QFile::exists(folder + "/LARGE.DAT"));
    QVERIFY(QFile::exists(folder + "/LARGE.DAT.incomplete"));
    QVERIFY(!QFile::exists(folder + "/A.CSV"));
    QCOMPARE(dialog->statusLabel()->text(),
             QStringLiteral("Download Cancelled; what arrived is in LARGE.DAT.incomplete"));
    QVERIFY(!dialog->cancelButton()->isEnabled());
    // Both rows stay selected for another try.
    QCOMPARE(dialog->fileList()->selectedRows().size(), 2);

    bench.device.sim().setLatency(std::chrono::milliseconds(0));
    dialog->scanForData();
    WAIT_IDLE(*dialog);
    QVERIFY(listedNames(*dialog).contains("LARGE.DAT"));
    QVERIFY(dialog->statusLabel()->text().isEmpty());
}

// What the files become is the core's; the window says what went wrong.
void TestDataDialogTest::aFailureSaysWhyInTheStatus() {
    enum class Fault { ScanUnanswered, ScanUnplugged, PieceCutShort, DeletionUnanswered, BadName };
    const struct {
        Fault fault;
        int listed;
        const char* status;
        const char* lastBox;
    } cases[] = {
        {Fault::ScanUnanswered, 0, "The device did not answer.", ""},
        {Fault::ScanUnplugged, 0, "The port is gone: the device was unplugged.", ""},
        {Fault::PieceCutShort, 3, "Download Incomplete. The device did not answer.", ""},
        // Delete All stops at the first file that went unanswered.
        {Fault::DeletionUnanswered, 3, "The device did not answer.", "Error:  File Not Deleted"},
        // A name that would leave the download folder is refused, not written.
        {Fault::BadName, 4, "Nothing was sent to the device.",
         "Error:  Cannot Open File for Writing"},
    };
    for (const auto& c : cases) {
        Bench bench;
        auto dialog = scanned(bench);
        QVERIFY(dialog != nullptr);
        kyrvana::sim::SimulatedStimulator& sim = bench.device.sim();
        // Only an exchange a fault leaves unanswered waits the short time-out.
        bench.link.serial.setReadTimeoutMs(kNoAnswerWaitMs);
        bench.boxes.answer = QMessageBox::Yes;
        switch (c.fault) {
            case Fault::ScanUnanswered:
                sim.addFault({SimulatorFault::Kind::NoAnswer, "ListFilesOnSDCard"});
                dialog->scanForData();
                break;
            case Fault::ScanUnplugged:
                sim.hangUp();
                dialog->scanForData();
                break;
            case Fault::PieceCutShort: {
                SimulatorFault cut{SimulatorFault::Kind::CutShort, "ReadFileOnSDCardNext", 10};
                cut.skip = 3;
                cut.times = 1;
                sim.addFault(cut);
                // The pieces before the short one must still come in time.
                bench.link.serial.setReadTimeoutMs(kShortPieceWaitMs);
                selectRows(*dialog, {0});
                dialog->downloadSelected();
                break;
            }
            case Fault::DeletionUnanswered:
                sim.addFault(
                    {SimulatorFault::Kind::NoAnswer, "DeleteFileFromSDCard(\"DEMO_0002.CSV\")"});
                dialog->deleteAll();
                break;
            case Fault::BadName:
                bench.device.putFile("DATA/..\\..\\EVIL.CSV", "evil");
                bench.link.serial.setReadTimeoutMs(kAnswerWithinMs);
                dialog->scanForData();
                WAIT_IDLE(*dialog);
                selectRows(*dialog, {3});
                dialog->downloadSelected();
                break;
        }
        WAIT_IDLE(*dialog);
        QCOMPARE(dialog->statusLabel()->text(), QString::fromLatin1(c.status));
        QCOMPARE(dialog->fileList()->itemCount(), c.listed);
        QCOMPARE(bench.boxes.shown.isEmpty() ? QString() : bench.boxes.shown.last().text,
                 QString::fromLatin1(c.lastBox));
    }
}

QTEST_MAIN(TestDataDialogTest)
#include "sd_card_dialog_test.moc"
