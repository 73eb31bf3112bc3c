// Renders the application's windows to PNG files for review:
//   kyrvana_screenshots <folder>
// Run with QT_QPA_PLATFORM=offscreen; QWidget::grab() paints each window as it
// would appear, without a display. All shots share one simulated stimulator
// (its motor slowed to half a millimetre a second, so that a move is caught
// on its way) and settings in a temporary folder.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/device/device_link.h"
#include "core/document/command_ids.h"
#include "gui/app/about_dlg.h"
#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/main_frame.h"
#include "gui/app/message_boxes.h"
#include "gui/app/simulated_device.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/set_param_editor.h"
#include "gui/editor/stage_view.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"
#include "gui/sdcard/access_test_data_dlg.h"

namespace {

using namespace kyrvana;
using namespace kyrvana::gui;

// Runs the event loop until `done` or five seconds have passed.
bool processUntil(const std::function<bool()>& done) {
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

SetRecord forceSet(const char* name, double millinewtons, std::int32_t reps) {
    SetRecord set = exampleSet(name, millinewtons, reps);
    set.mode[0] = ControlMode::Force;
    set.units[0] = UnitsCode::Millinewtons;
    return set;
}

struct Shots {
    explicit Shots(const QDir& into)
        : folder(into),
          settings(std::make_unique<QSettings>(temporary.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat)),
          device(slowMotor()) {}

    static sim::SimulatorOptions slowMotor() {
        sim::SimulatorOptions options;
        options.motorSpeed = 3200.0;
        return options;
    }

    // Shows the widget, paints it to `name` and hides it again.
    void save(QWidget& widget, const char* name) {
        widget.show();
        QCoreApplication::processEvents();
        const QString path = folder.filePath(QString::fromLatin1(name));
        const bool saved = widget.grab().toImage().save(path);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        ok &= saved;
        widget.hide();
    }
    bool fail(const char* what) {
        std::fprintf(stderr, "%s\n", what);
        return ok = false;
    }

    QDir folder;
    QTemporaryDir temporary;
    AppSettings settings;
    SimulatedDevice device;
    bool ok = true;
};

// The main window on the simulated stimulator with a sequence that has just
// been programmed, as a user sees it after Program Device; its last set never
// comes back and climbs past the actuator's travel (its row marked, its span
// shaded on the preview).
void mainWindow(Shots& shots) {
    DocumentOptions options;
    options.sysfsRoot = shots.device.sysfsRoot();
    options.settleDelay = std::chrono::milliseconds(0);
    options.pollInterval = std::chrono::milliseconds(50);
    CMainFrame frame;
    frame.setSimulated(true);
    ApplicationSession session(frame, shots.settings, qtMessageBoxes(), qtFileDialogs(), options);
    frame.show();
    if (!processUntil([&] { return session.document().deviceReady(); })) {
        shots.fail("the simulated stimulator did not connect");
        return;
    }
    SequenceViewModel& model = session.view().model();
    SetRecord force = forceSet("Force hold", 800, 5);
    force.preloadType[0] = PreloadType::FirstRepetition;
    force.preloadMag.fill(50);
    // The widest values a column takes: a six-digit force, a sinusoid.
    SetRecord sinusoid = exampleSet("Sinusoid", 1000, 1000);
    sinusoid.function[0] = FunctionType::Sinusoid;
    SetRecord climb = exampleSet("Ratchet", 150, 16);
    climb.recoveryDurationMs = 0;
    model.workingSequence.sets = {exampleSet("Warm up", 250, 20),
                                  exampleSet("Stretch", 1500, 100),
                                  force,
                                  forceSet("Full scale", 111000, 10),
                                  sinusoid,
                                  climb};
    model.showRepeatCount(1);
    session.view().refreshFromModel();
    session.view().selectRow(1);
    session.document().PostRequest(DeviceRequest::ProgramDevice);
    processUntil([&] { return model.messagePane.find("Success") != std::string::npos; });
    processUntil([&] { return session.preview().isShowingModel(); });
    shots.save(frame, "main-window-sequence.png");
}

// Access Test Data in the middle of a long download (the bar, the speed and
// time left, Cancel the one control enabled).
void testDataDialog(Shots& shots, DeviceLink& link) {
    const std::filesystem::path data = shots.device.simulator().options().sdCard / "DATA";
    std::filesystem::create_directories(data);
    std::ofstream(data / "LONG_RUN.CSV", std::ios::binary) << std::string(4 * 1024 * 1024, '7');
    shots.settings.setDataDir(shots.temporary.filePath(QStringLiteral("data")));
    CAccessTestDataDlg dialog(link, qtMessageBoxes(), shots.settings);
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
    shots.device.simulator().setLatency(std::chrono::milliseconds(1));
    dialog.downloadSelected();
    processUntil([&] { return !dialog.rateLabel()->text().isEmpty(); });
    shots.save(dialog, "access-test-data-downloading.png");
    dialog.cancelDownload();
    processUntil([&] { return !dialog.busy(); });
    shots.device.simulator().setLatency(std::chrono::milliseconds(0));
}

// Move to Position in the middle of a move (Stop live, positions on their
// way); Load Cell Calibration with two readings fitted.
void hardwareDialogs(Shots& shots, DeviceLink& link) {
    sim::SimulatedStimulator& simulator = shots.device.simulator();
    {
        CMoveToSizeDlg move(link);
        move.show();
        processUntil([&] { return !move.busy(); });
        move.amountEdit(0)->setText(QStringLiteral("3"));
        move.apply();
        processUntil([&] { return move.positionEdit(0)->text().toDouble() <= -1.0; });
        shots.save(move, "move-to-position-moving.png");
        move.stopMove();
        processUntil([&] { return !move.busy(); });
    }
    CLoadCellCalDlg calibration(link, qtMessageBoxes());
    calibration.show();
    processUntil([&] { return !calibration.busy(); });
    for (const auto& [raw, weight] : {std::pair{31000, "100"}, std::pair{33000, "300"}}) {
        simulator.setInternalValue(10, raw);
        calibration.weightEdit()->setText(QString::fromLatin1(weight));
        calibration.read();
        processUntil([&] { return !calibration.busy(); });
    }
    calibration.calculate();
    shots.save(calibration, "load-cell-calibration.png");
}

// The dialogs that need no device: the set editor (a compressing P7 in force
// mode, each well set on its own), the about box and the settings dialogs.
void plainDialogs(Shots& shots) {
    SetRecord force = forceSet("Force hold", 800, 5);
    force.magnitude = {800, 800, 600, 800, 500, 800};
    force.timeUnits = TimeUnits::Milliseconds;
    force.recoveryDurationMs = 0;
    force.preloadType[0] = PreloadType::EveryRepetition;
    force.preloadMag.fill(50);
    SetLimitsHardware compressing;
    compressing.hardwareType = 0;
    DisabledWells none;
    DisabledWells twoOff;
    twoOff.flags = {0, 0, 1, 0, 0, 1};
    unsigned velocityCode = 7;
    MessageBoxes& boxes = qtMessageBoxes();
    CSetParamEditor editor(force, compressing, none, boxes);
    shots.save(editor, "set-editor.png");
    CAboutDlg about(1.0);
    shots.save(about, "about-box.png");
    CDisableWellsDlg disableWells(twoOff, boxes);
    shots.save(disableWells, "disable-wells.png");
    CForceControlSettingsDlg forceControl(velocityCode, boxes);
    shots.save(forceControl, "force-control-settings.png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    Shots shots(folder);
    std::string error;
    if (!shots.device.start(&error)) {
        std::fprintf(stderr, "simulated device: %s\n", error.c_str());
        return 1;
    }
    {
        CMainFrame frame;
        shots.save(frame, "main-window-disconnected.png");
    }
    mainWindow(shots);
    plainDialogs(shots);

    // The dialogs that work on the device link itself, once the window's
    // document has let the port go.
    DeviceLink link;
    link.portName = shots.device.simulator().portPath();
    link.OpenPort();
    link.serial.setReadTimeoutMs(300);
    link.umPerUstep.fill(Shots::slowMotor().umPerUstep);
    link.loadCellGain.fill(0.001);
    testDataDialog(shots, link);
    hardwareDialogs(shots, link);
    return shots.ok ? 0 : 1;
}
