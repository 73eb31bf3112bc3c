// Renders the application's windows to PNG files for review:
//   kyrvana_screenshots <folder>
// Run with QT_QPA_PLATFORM=offscreen; QWidget::grab() paints each window as it
// would appear, without a display.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/device/device_link.h"
#include "core/document/command_ids.h"
#include "core/hardware/well_settings.h"
#include "gui/app/about_dlg.h"
#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/main_frame.h"
#include "gui/app/message_boxes.h"
#include "gui/app/simulated_device.h"
#include "gui/app/toolbar_icons.h"
#include "gui/app/unsaved_sequence_prompt.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/preview_chart.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/set_param_editor.h"
#include "gui/editor/stage_view.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"
#include "gui/sdcard/access_test_data_dlg.h"
#include "gui/sdcard/loss_questions.h"

namespace {

using namespace kyrvana;
using namespace kyrvana::gui;

bool save(QWidget& widget, const QDir& folder, const char* name) {
    widget.show();
    QCoreApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    widget.hide();
    return saved;
}

// Runs the event loop until `done` or five seconds have passed.
template <typename Condition>
bool processUntil(Condition done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

SetRecord exampleSet(const char* name, double magnitude, std::int32_t reps) {
    SetRecord set;
    set.name = name;
    set.magnitude.fill(magnitude);
    set.numReps = reps;
    set.holdTimeMs = 500;
    set.restTimeMs = 2000;
    return set;
}

// The same window grown, as a user sees it maximised: a three-set sequence
// whose last set never comes back and climbs past the actuator's travel, so
// its row is marked and its span shaded, and the middle set selected; then
// the chart alone, zoomed to a few single cycles.
bool savePreviewWindow(CMainFrame& frame, ApplicationSession& session, const QDir& folder) {
    SequenceViewModel& model = session.view().model();
    SetRecord climb = exampleSet("Ratchet", 150, 16);
    climb.recoveryDurationMs = 0;
    model.workingSequence.sets = {exampleSet("Warm up", 250, 20), exampleSet("Cycles", 800, 60),
                                  climb};
    model.showRepeatCount(1);
    session.view().refreshFromModel();
    session.view().selectRow(1);
    frame.resize(1400, 860);
    frame.show();
    processUntil([&] { return session.preview().isShowingModel(); });
    bool saved = save(frame, folder, "main-window-preview.png");

    CPreviewChart& chart = *session.preview().chart();
    frame.show();
    chart.zoomTo(100.0, 120.0);
    processUntil([&] { return !chart.isBusy(); });
    const QString path = folder.filePath(QStringLiteral("preview-zoomed.png"));
    const bool chartSaved = chart.grab().save(path);
    std::printf("%s %s\n", chartSaved ? "wrote" : "FAILED", qPrintable(path));
    frame.hide();
    return saved && chartSaved;
}

// The main window on a simulated stimulator with a three-set sequence that
// has just been programmed, as a user sees it after Program Device.
bool saveMainWindow(const QDir& folder) {
    SimulatedDevice device;
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "simulated device: %s\n", error.c_str());
        return false;
    }
    QTemporaryDir settingsFolder;
    AppSettings settings(std::make_unique<QSettings>(
        settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    DocumentOptions options;
    options.sysfsRoot = device.sysfsRoot();
    options.settleDelay = std::chrono::milliseconds(0);
    options.pollInterval = std::chrono::milliseconds(50);
    CMainFrame frame;
    frame.setSimulated(true);
    ApplicationSession session(frame, settings, qtMessageBoxes(), qtFileDialogs(), options);
    frame.show();
    if (!processUntil([&] { return session.document().deviceReady(); })) {
        std::fprintf(stderr, "the simulated stimulator did not connect\n");
        return false;
    }
    SequenceViewModel& model = session.view().model();
    SetRecord force = exampleSet("Force hold", 800, 5);
    force.mode[0] = ControlMode::Force;
    force.units[0] = UnitsCode::Millinewtons;
    force.preloadType[0] = PreloadType::FirstRepetition;
    force.preloadMag.fill(50);
    // The widest values a column takes: a six-digit force, a sinusoid.
    SetRecord fullScale = exampleSet("Full scale", 111000, 10);
    fullScale.mode[0] = ControlMode::Force;
    fullScale.units[0] = UnitsCode::Millinewtons;
    SetRecord sinusoid = exampleSet("Sinusoid", 1000, 1000);
    sinusoid.function[0] = FunctionType::Sinusoid;
    model.workingSequence.sets = {exampleSet("Warm up", 250, 20), exampleSet("Stretch", 1500, 100),
                                  force, fullScale, sinusoid};
    model.showRepeatCount(3);
    session.view().refreshFromModel();
    session.view().selectRow(1);
    session.document().PostRequest(DeviceRequest::ProgramDevice);
    processUntil([&] { return model.messagePane.find("Success") != std::string::npos; });
    processUntil([&] { return session.preview().isShowingModel(); });
    bool ok = save(frame, folder, "main-window-sequence.png");
    ok &= savePreviewWindow(frame, session, folder);

    // The question before an edited sequence is lost, as the window asks it.
    session.view().insertBelow();
    QMessageBox prompt(QMessageBox::Warning, QString::fromLatin1(kApplicationName),
                       QString::fromLatin1(kSequenceChangedText) + QStringLiteral("closing?"),
                       QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &frame);
    ok &= save(prompt, folder, "save-prompt.png");
    return ok;
}

// File > Open at the size it first opens with.
bool saveOpenDialog(const QDir& folder) {
    QTemporaryDir settingsFolder;
    AppSettings settings(std::make_unique<QSettings>(
        settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    QtFileDialogs dialogs(&settings);
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.folder = QDir::homePath();
    request.filter = QStringLiteral("Kyrvana File (*.tmt)");
    bool saved = false;
    // The dialog lists its folder in the background before it is grabbed.
    QTimer::singleShot(500, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            saved = save(*dialog, folder, "open-dialog.png");
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
    });
    dialogs.openFileName(nullptr, request);
    return saved;
}

// Access Test Data in the middle of a long download from a simulated
// stimulator (the bar, the speed and time left, Cancel the one control
// enabled), and the questions asked before files would be lost.
bool saveTestDataDialog(const QDir& folder) {
    SimulatedDevice device;
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "simulated device: %s\n", error.c_str());
        return false;
    }
    const std::filesystem::path data = device.simulator().options().sdCard / "DATA";
    std::filesystem::create_directories(data);
    std::ofstream(data / "LONG_RUN.CSV", std::ios::binary) << std::string(4 * 1024 * 1024, '7');
    DeviceLink link;
    link.portName = device.simulator().portPath();
    link.OpenPort();
    QTemporaryDir dataFolder;
    AppSettings settings(std::make_unique<QSettings>(
        dataFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    settings.setDataDir(dataFolder.filePath(QStringLiteral("data")));
    CAccessTestDataDlg dialog(link, qtMessageBoxes(), settings);
    dialog.show();
    processUntil([&] { return !dialog.busy(); });
    dialog.scanForData();
    processUntil([&] { return !dialog.busy(); });
    for (int row = 0; row < dialog.fileList()->itemCount(); ++row) {
        if (dialog.fileList()->itemText(row, 0) == QStringLiteral("LONG_RUN.CSV")) {
            dialog.fileList()->setItemState(row, CReportCtrl::kStateSelected,
                                            CReportCtrl::kStateSelected);
        }
    }
    // Answers at about the pace of the real device's USB link.
    device.simulator().setLatency(std::chrono::milliseconds(1));
    dialog.downloadSelected();
    processUntil([&] { return !dialog.rateLabel()->text().isEmpty(); });
    bool ok = save(dialog, folder, "access-test-data-downloading.png");
    dialog.cancelDownload();
    processUntil([&] { return !dialog.busy(); });
    ok &= save(dialog, folder, "access-test-data-cancelled.png");

    QMessageBox deletion(QMessageBox::Question, QString::fromLatin1(kApplicationName),
                         deletionQuestion({"LONG_RUN.CSV", "DEMO_0002.CSV", "DEMO_0001.CSV"}),
                         QMessageBox::Yes | QMessageBox::No, &dialog);
    deletion.setDefaultButton(QMessageBox::No);
    ok &= save(deletion, folder, "delete-selected-question.png");
    QMessageBox replace(QMessageBox::Question, QString::fromLatin1(kApplicationName),
                        QStringLiteral("LONG_RUN.CSV is already in the download folder.\n"
                                       "Replace it with the copy on the device?"),
                        QMessageBox::NoButton, &dialog);
    replace.addButton(QMessageBox::Yes)->setText(QStringLiteral("Replace"));
    replace.addButton(QMessageBox::No)->setText(QStringLiteral("Skip"));
    replace.addButton(QMessageBox::YesToAll)->setText(QStringLiteral("Replace All"));
    replace.addButton(QMessageBox::NoToAll)->setText(QStringLiteral("Skip All"));
    replace.setDefaultButton(QMessageBox::No);
    ok &= save(replace, folder, "replace-question.png");
    return ok;
}

// Every toolbar picture in its three looks, on the button face, three times
// enlarged so that the artwork can be judged.
QImage iconSheet() {
    const int ids[] = {kCmdConnectionIndicator, kCmdFileOpen,      kCmdFileSave,
                       kCmdReadDevice,          kCmdProgramDevice, kCmdAccessTestData};
    const IconLook looks[] = {IconLook::kNormal, IconLook::kHot, IconLook::kDisabled};
    const int cell = 90;
    QImage sheet(cell * 4, 38 * 7, QImage::Format_RGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter painter(&sheet);
    for (int row = 0; row < 7; ++row) {
        const bool simulatedRow = row == 6;
        const int id = simulatedRow ? kCmdConnectionIndicator : ids[row];
        for (int column = 0; column < 3; ++column) {
            painter.drawPixmap(column * cell + 3, row * 38 + 3,
                               toolbarPixmap(id, looks[column], simulatedRow));
        }
    }
    painter.end();
    return sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace

// Move to Position in the middle of a move (Stop live, positions on their
// way) and after Stop; Load Cell Calibration with two readings fitted and a
// third that the device did not answer.
bool saveHardwareDialogs(const QDir& folder) {
    sim::SimulatorOptions slow;
    slow.motorSpeed = 3200.0;  // half a millimetre a second
    SimulatedDevice device(slow);
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "simulated device: %s\n", error.c_str());
        return false;
    }
    DeviceLink link;
    link.portName = device.simulator().portPath();
    link.OpenPort();
    link.serial.setReadTimeoutMs(300);
    link.umPerUstep.fill(slow.umPerUstep);
    link.loadCellGain.fill(0.001);

    bool ok = true;
    {
        CMoveToSizeDlg move(link);
        move.show();
        processUntil([&] { return !move.busy(); });
        move.amountEdit(0)->setText(QStringLiteral("3"));
        move.amountEdit(2)->setText(QStringLiteral("1.5"));
        move.amountEdit(4)->setText(QStringLiteral("-2"));
        move.apply();
        processUntil([&] { return move.positionEdit(0)->text().toDouble() <= -1.0; });
        ok &= save(move, folder, "move-to-position-moving.png");
        move.show();
        move.stopMove();
        processUntil([&] { return !move.busy(); });
        ok &= save(move, folder, "move-to-position-stopped.png");
    }
    {
        CLoadCellCalDlg calibration(link, qtMessageBoxes());
        calibration.show();
        processUntil([&] { return !calibration.busy(); });
        const int raws[] = {31000, 33000};
        const char* weights[] = {"100", "300"};
        for (int row = 0; row < 2; ++row) {
            device.simulator().setInternalValue(10, raws[row]);
            calibration.weightEdit()->setText(QString::fromLatin1(weights[row]));
            calibration.read();
            processUntil([&] { return !calibration.busy(); });
        }
        calibration.calculate();
        device.simulator().addFault({sim::SimulatorFault::Kind::NoAnswer, "QueryInternalValue"});
        calibration.weightEdit()->setText(QStringLiteral("500"));
        calibration.read();
        processUntil([&] { return !calibration.busy(); });
        ok &= save(calibration, folder, "load-cell-calibration.png");
    }
    return ok;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    bool ok = true;

    CMainFrame frame;
    ok &= save(frame, folder, "main-window-disconnected.png");
    frame.setSimulated(true);
    frame.setConnected(true);
    ok &= save(frame, folder, "main-window-simulated.png");

    ok &= saveMainWindow(folder);
    ok &= saveOpenDialog(folder);
    ok &= saveHardwareDialogs(folder);

    // The set editor in both wordings: a stretching Q3 with each well set
    // on its own, and a compressing P7 in force mode.
    {
        SetRecord set = exampleSet("Stretch", 1500, 100);
        set.magnitude = {1500, 1500, 1200, 1500, 1000, 1500};
        DisabledWells none;
        SetLimitsHardware stretching;
        stretching.hardwareType = 2;
        CSetParamEditor editor(set, stretching, none, qtMessageBoxes());
        ok &= save(editor, folder, "set-editor-stretch.png");
    }
    {
        SetRecord set = exampleSet("Force hold", 800, 5);
        set.mode[0] = ControlMode::Force;
        set.timeUnits = TimeUnits::Milliseconds;
        set.recoveryDurationMs = 0;
        set.preloadType[0] = PreloadType::EveryRepetition;
        set.preloadMag.fill(50);
        DisabledWells none;
        SetLimitsHardware compressing;
        compressing.hardwareType = 0;
        CSetParamEditor editor(set, compressing, none, qtMessageBoxes());
        ok &= save(editor, folder, "set-editor-compress.png");
    }

    CAboutDlg about(frame.scale());
    ok &= save(about, folder, "about-box.png");

    DisabledWells wells;
    wells.flags = {0, 0, 1, 0, 0, 1};
    CDisableWellsDlg disableWells(wells, qtMessageBoxes());
    ok &= save(disableWells, folder, "disable-wells.png");

    unsigned velocityCode = 7;
    CForceControlSettingsDlg forceControl(velocityCode, qtMessageBoxes());
    ok &= save(forceControl, folder, "force-control-settings.png");
    ok &= saveTestDataDialog(folder);

    // The shared controls as the test-data and calibration dialogs use them.
    QWidget controls;
    controls.resize(420, 200);
    CReportCtrl list(&controls);
    list.setGeometry(10, 10, 400, 140);
    list.setColumns(QStringLiteral("File Name,180;Size (KB),90;Date,110"));
    const char* names[] = {"TEST0001.CSV", "TEST0002.CSV", "CALIB.TXT"};
    const double sizes[] = {1532.5, 88.0, 0.25};
    for (int row = 0; row < 3; ++row) {
        list.insertItem(row, QString::fromLatin1(names[row]));
        list.setItemNumber(row, 1, sizes[row]);
        list.setItemText(row, 2, QStringLiteral("2024-03-0%1").arg(row + 1));
    }
    list.setItemState(1, CReportCtrl::kStateSelected, CReportCtrl::kStateSelected);
    COrvendaButton jog(QStringLiteral("Download"), &controls);
    jog.setGeometry(10, 160, 100, 30);
    COrvendaButton pressed(QStringLiteral("Delete"), &controls);
    pressed.setGeometry(120, 160, 100, 30);
    pressed.setDown(true);
    ok &= save(controls, folder, "report-list-and-buttons.png");

    const QString sheetPath = folder.filePath(QStringLiteral("toolbar-icons-x3.png"));
    const bool sheetSaved = iconSheet().save(sheetPath);
    std::printf("%s %s\n", sheetSaved ? "wrote" : "FAILED", qPrintable(sheetPath));
    ok &= sheetSaved;
    return ok ? 0 : 1;
}
