// The set editor: its wording follows the hardware and the control mode,
// its check boxes follow their rules, OK reports every failed limit in one
// box and keeps the dialog open, and with a device the check runs off the
// GUI thread while the dialog waits with its controls disabled.
#include "gui/editor/set_param_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "connected_document.h"
#include "gui/controls/mnemonics.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

SetLimitsHardware offline(int hardwareType) {
    SetLimitsHardware hardware;
    hardware.hardwareType = hardwareType;
    return hardware;
}

void retype(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

// An editor with its own set, wells and recorded boxes.
struct Editor {
    explicit Editor(int hardwareType, SetRecord opened = {})
        : set(opened), dialog(set, offline(hardwareType), wells, boxes) {}
    SetRecord set;
    DisabledWells wells;
    RecordingMessageBoxes boxes;
    CSetParamEditor dialog;
};

}  // namespace

class SetParamEditorTest : public QObject {
    Q_OBJECT

  private slots:
    void wordingFollowsHardwareAndMode_data();
    void wordingFollowsHardwareAndMode();
    void opensWithTheSetInItsTimeUnit();
    void okReportsAllFailuresInOneBoxAndStaysOpen_data();
    void okReportsAllFailuresInOneBoxAndStaysOpen();
    void okSavesTheFields();
    void openAndOkLeavesEverySetUnchanged();
    void choicesTheCombosDoNotOfferAreKept();
    void uncheckingCustomizeCopiesWellOne();
    void doNotBoxesEmptyAndRestoreTheirPhase();
    void disabledWellsCannotBeTyped();
    void checkWithADeviceRunsOffTheGuiThread();
};

void SetParamEditorTest::wordingFollowsHardwareAndMode_data() {
    QTest::addColumn<int>("hardwareType");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("magnitude");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QString>("doNotDeform");

    QTest::newRow("Q3 displacement") << 2 << 0 << "Stretch Magnitude (um)"
                                     << "Stretch Duration"
                                     << "Do Not Stretch";
    QTest::newRow("Q3 force") << 2 << 1 << "Load Magnitude (mN)"
                              << "Stretch Duration"
                              << "Do Not Stretch";
    QTest::newRow("P7 displacement") << 0 << 0 << "Compress Magnitude (um)"
                                     << "Compress Duration"
                                     << "Do Not Compress";
    QTest::newRow("P7 type 1 force") << 1 << 1 << "Load Magnitude (mN)"
                                     << "Compress Duration"
                                     << "Do Not Compress";
}

void SetParamEditorTest::wordingFollowsHardwareAndMode() {
    QFETCH(int, hardwareType);
    QFETCH(int, mode);
    QFETCH(QString, magnitude);
    QFETCH(QString, duration);
    QFETCH(QString, doNotDeform);

    Editor editor(hardwareType);
    CSetParamEditor& dialog = editor.dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Parameter Editor"));
    dialog.modeCombo()->setCurrentIndex(mode);
    QCOMPARE(shownText(dialog.magnitudeLabel()->text()), magnitude);
    QCOMPARE(shownText(dialog.loadDurationLabel()->text()), duration);
    QCOMPARE(shownText(dialog.doNotDeformBox()->text()), doNotDeform);
}

void SetParamEditorTest::opensWithTheSetInItsTimeUnit() {
    SetRecord set;
    set.name = "Warm up";
    set.timeUnits = TimeUnits::Minutes;
    set.stretchDurationMs = 90000;
    set.recoveryDurationMs = 0;
    set.holdTimeMs = 30000;
    set.restTimeMs = 60000;
    set.numReps = 12;
    set.preloadType[0] = PreloadType::EveryRepetition;
    set.dataFrequency = DataFrequency::Hz10;
    Editor editor(0, set);
    CSetParamEditor& dialog = editor.dialog;

    QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Warm up"));
    QCOMPARE(dialog.timeUnitsCombo()->currentText(), QStringLiteral("Minutes"));
    QCOMPARE(dialog.loadDurationEdit()->text(), QStringLiteral("1.5"));
    QCOMPARE(dialog.holdDurationEdit()->text(), QStringLiteral("0.5"));
    QCOMPARE(dialog.restDurationEdit()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.recoveryDurationEdit()->text(), QStringLiteral("0"));
    QVERIFY(dialog.doNotRecoverBox()->isChecked());
    QVERIFY(!dialog.recoveryDurationEdit()->isEnabled());
    QVERIFY(!dialog.doNotDeformBox()->isChecked());
    QCOMPARE(dialog.repetitionsEdit()->text(), QStringLiteral("12"));
    QVERIFY(dialog.preloadChoice(2)->isChecked());
    QCOMPARE(dialog.frequencyCombo()->currentText(), QStringLiteral("10"));
    // Equal wells: not customized, wells 2 to 6 hidden.
    QVERIFY(!dialog.customizeBox()->isChecked());
    QVERIFY(dialog.magnitudeEdit(2)->isHidden());
    QVERIFY(dialog.disableWellsButton()->isHidden());
}

void SetParamEditorTest::okReportsAllFailuresInOneBoxAndStaysOpen_data() {
    QTest::addColumn<int>("hardwareType");
    QTest::addColumn<QString>("load");
    QTest::addColumn<QString>("magnitude");
    QTest::addColumn<QString>("repetitions");
    QTest::addColumn<QString>("messages");

    // Which limits apply is the core's; here every message reaches one box.
    QTest::newRow("too short and too fast on a Q3")
        << 2 << "0.2"
        << "1000"
        << "1"
        << "Error:  Minimum Stretch Duration = 250.00 mS\n"
           "Error:  Maximum Ramp Speed = 4.0 mm/S\n";
}

void SetParamEditorTest::okReportsAllFailuresInOneBoxAndStaysOpen() {
    QFETCH(int, hardwareType);
    QFETCH(QString, load);
    QFETCH(QString, magnitude);
    QFETCH(QString, repetitions);
    QFETCH(QString, messages);

    const SetRecord original;
    Editor editor(hardwareType, original);
    CSetParamEditor& dialog = editor.dialog;
    retype(dialog.loadDurationEdit(), load);
    retype(dialog.magnitudeEdit(1), magnitude);
    retype(dialog.repetitionsEdit(), repetitions);
    dialog.accept();

    QCOMPARE(editor.boxes.shown.size(), 1);
    QCOMPARE(editor.boxes.shown[0].text, messages);
    QCOMPARE(editor.boxes.shown[0].icon, QMessageBox::NoIcon);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(editor.set, original);
    // The entries stay as typed.
    QCOMPARE(dialog.magnitudeEdit(1)->text(), magnitude);
}

void SetParamEditorTest::okSavesTheFields() {
    Editor editor(0);
    CSetParamEditor& dialog = editor.dialog;
    retype(dialog.nameEdit(), QStringLiteral("A name longer than fifteen"));
    dialog.modeCombo()->setCurrentIndex(1);
    dialog.waveformCombo()->setCurrentText(QStringLiteral("Sinusoid"));
    dialog.timeUnitsCombo()->setCurrentText(QStringLiteral("Hours"));
    retype(dialog.loadDurationEdit(), QStringLiteral("1.5"));
    retype(dialog.recoveryDurationEdit(), QStringLiteral("0.25"));
    retype(dialog.magnitudeEdit(1), QStringLiteral("111000"));
    retype(dialog.preloadEdit(1), QStringLiteral("50"));
    dialog.preloadChoice(1)->setChecked(true);
    dialog.frequencyCombo()->setCurrentText(QStringLiteral("0.001"));
    dialog.accept();

    QVERIFY2(editor.boxes.shown.isEmpty(),
             editor.boxes.shown.isEmpty() ? "" : qPrintable(editor.boxes.shown[0].text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const SetRecord& set = editor.set;
    QCOMPARE(set.name, std::string("A name longer t"));
    QCOMPARE(set.mode[0], ControlMode::Force);
    QCOMPARE(set.units[0], UnitsCode::Millinewtons);
    QCOMPARE(set.function[0], FunctionType::Sinusoid);
    QCOMPARE(set.timeUnits, TimeUnits::Hours);
    QCOMPARE(set.stretchDurationMs, 5400000);
    QCOMPARE(set.recoveryDurationMs, 900000);
    for (std::size_t well = 0; well < kWellCount; ++well) {
        QCOMPARE(set.magnitude[well], 111000.0);
        QCOMPARE(set.preloadMag[well], 50.0);
    }
    QCOMPARE(set.preloadType[0], PreloadType::FirstRepetition);
    QCOMPARE(set.dataFrequency, DataFrequency::Hz0_001);
}

// Sets as files and devices hand them over: every time unit, a duration
// without a short binary form, long fractions, wells that differ, unused
// phases below 0, and choices the editor does not offer. Opened and closed
// with OK, each comes back through the widgets exactly as it was.
void SetParamEditorTest::openAndOkLeavesEverySetUnchanged() {
    std::vector<SetRecord> sets;
    const TimeUnits units[] = {TimeUnits::Milliseconds, TimeUnits::Seconds, TimeUnits::Minutes,
                               TimeUnits::Hours,        TimeUnits::Days,    TimeUnits::Deciseconds};
    for (const TimeUnits unit : units) {
        SetRecord set;
        set.timeUnits = unit;
        set.stretchDurationMs = 120599;
        set.recoveryDurationMs = 2147483647;
        set.holdTimeMs = 1001;
        set.restTimeMs = 86400001;
        set.magnitude.fill(599.1);
        set.preloadMag.fill(0.30000000000000004);
        sets.push_back(set);
    }
    SetRecord wells;
    wells.magnitude = {1.001, 2.675, 1e-7, 1000.0000000000001, 3.3, 0};
    wells.preloadMag = {0, 0.1, 0.2, 0.3, 0.4, 12.5};
    sets.push_back(wells);
    SetRecord odd;
    odd.name = "A name longer than fifteen";
    odd.mode[0] = ControlMode::Force;
    odd.units[0] = UnitsCode::Millinewtons;
    odd.function[0] = FunctionType::Step;
    odd.stretchDurationMs = -5;
    odd.recoveryDurationMs = -1;
    odd.numReps = -3;
    odd.preloadType[0] = static_cast<PreloadType>(3);
    odd.dataFrequency = DataFrequency::None;
    sets.push_back(odd);
    SetRecord unknownMode;
    unknownMode.mode[0] = static_cast<ControlMode>(5);
    sets.push_back(unknownMode);

    for (const SetRecord& original : sets) {
        Editor editor(2, original);
        editor.dialog.accept();
        QVERIFY2(editor.boxes.shown.isEmpty(),
                 editor.boxes.shown.isEmpty() ? "" : qPrintable(editor.boxes.shown[0].text));
        QCOMPARE(editor.dialog.result(), int(QDialog::Accepted));
        QVERIFY2(editor.set == original, qPrintable(QStringLiteral("%1 ms, unit %2")
                                                        .arg(original.stretchDurationMs)
                                                        .arg(codeOf(original.timeUnits))));
    }
}

void SetParamEditorTest::choicesTheCombosDoNotOfferAreKept() {
    SetRecord set;
    set.function[0] = FunctionType::Step;
    set.timeUnits = TimeUnits::Deciseconds;
    set.stretchDurationMs = 1500;
    Editor editor(2, set);
    CSetParamEditor& dialog = editor.dialog;
    QCOMPARE(dialog.waveformCombo()->currentIndex(), -1);
    QCOMPARE(dialog.timeUnitsCombo()->currentIndex(), -1);
    QCOMPARE(dialog.loadDurationEdit()->text(), QStringLiteral("15"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(editor.set, set);
}

void SetParamEditorTest::uncheckingCustomizeCopiesWellOne() {
    SetRecord set;
    set.magnitude = {100, 200, 300, 400, 500, 600};
    set.preloadMag = {1, 2, 3, 4, 5, 6};
    Editor editor(0, set);
    CSetParamEditor& dialog = editor.dialog;
    QVERIFY(dialog.customizeBox()->isChecked());
    QVERIFY(!dialog.magnitudeEdit(6)->isHidden());
    QVERIFY(!dialog.disableWellsButton()->isHidden());
    QCOMPARE(shownText(dialog.disableWellsButton()->text()), QStringLiteral("Disable\nWells"));

    dialog.customizeBox()->click();
    for (int well = 2; well <= 6; ++well) {
        QCOMPARE(dialog.magnitudeEdit(well)->text(), QStringLiteral("100"));
        QCOMPARE(dialog.preloadEdit(well)->text(), QStringLiteral("1"));
        QVERIFY(dialog.magnitudeEdit(well)->isHidden());
        QVERIFY(dialog.magnitudeWellLabel(well)->isHidden());
        QVERIFY(dialog.preloadEdit(well)->isHidden());
    }
    QVERIFY(dialog.disableWellsButton()->isHidden());

    dialog.accept();
    QCOMPARE(editor.set.magnitude, (std::array<double, 6>{100, 100, 100, 100, 100, 100}));
    QCOMPARE(editor.set.preloadMag, (std::array<double, 6>{1, 1, 1, 1, 1, 1}));
}

void SetParamEditorTest::doNotBoxesEmptyAndRestoreTheirPhase() {
    Editor editor(2);
    CSetParamEditor& dialog = editor.dialog;
    dialog.doNotRecoverBox()->click();
    QCOMPARE(dialog.recoveryDurationEdit()->text(), QStringLiteral("0"));
    QVERIFY(!dialog.recoveryDurationEdit()->isEnabled());
    dialog.doNotRecoverBox()->click();
    QCOMPARE(dialog.recoveryDurationEdit()->text(), QStringLiteral("10"));
    QVERIFY(dialog.recoveryDurationEdit()->isEnabled());

    // A recovery typed as 0 checks its box on OK, which stays checked even
    // though another check fails.
    retype(dialog.recoveryDurationEdit(), QStringLiteral("0"));
    retype(dialog.repetitionsEdit(), QStringLiteral("0"));
    dialog.accept();
    QCOMPARE(editor.boxes.shown.size(), 1);
    QCOMPARE(editor.boxes.shown[0].text, QStringLiteral("Error:  Minimum Repetitions = 1\n"));
    QVERIFY(dialog.doNotRecoverBox()->isChecked());
    QVERIFY(!dialog.recoveryDurationEdit()->isEnabled());
}

void SetParamEditorTest::disabledWellsCannotBeTyped() {
    SetRecord set;
    set.magnitude = {100, 200, 300, 400, 500, 600};
    SetRecord copy = set;
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 0, 1};
    RecordingMessageBoxes boxes;
    CSetParamEditor dialog(copy, offline(0), wells, boxes);
    const bool expected[] = {true, false, true, true, true, false};
    for (int well = 1; well <= 6; ++well) {
        QCOMPARE(dialog.magnitudeEdit(well)->isEnabled(), expected[well - 1]);
        QCOMPARE(dialog.preloadEdit(well)->isEnabled(), expected[well - 1]);
    }
    // Not customizing: only well 1 takes input.
    dialog.customizeBox()->click();
    QVERIFY(dialog.magnitudeEdit(1)->isEnabled());
    QVERIFY(!dialog.magnitudeEdit(3)->isEnabled());
}

void SetParamEditorTest::checkWithADeviceRunsOffTheGuiThread() {
    ConnectedDocument device;
    QVERIFY2(device.connect(), device.error.c_str());
    device.device.simulator().setLatency(std::chrono::milliseconds(100));

    SetRecord set;
    DisabledWells wells;
    RecordingMessageBoxes boxes;
    SetLimitsHardware hardware;
    hardware.link = &device.document->link();
    CSetParamEditor dialog(set, hardware, wells, boxes);
    QSignalSpy finished(&dialog, &CSetParamEditor::checkFinished);
    retype(dialog.magnitudeEdit(1), QStringLiteral("500"));
    dialog.accept();

    // The device answers slowly; the dialog waits with its controls off and
    // cannot be cancelled meanwhile.
    QVERIFY(dialog.isChecking());
    QVERIFY(!dialog.buttons()->isEnabled());
    QVERIFY(!dialog.magnitudeEdit(1)->isEnabled());
    dialog.reject();
    QVERIFY(finished.wait(10000));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isChecking());
    QCOMPARE(set.magnitude[0], 500.0);
}

QTEST_MAIN(SetParamEditorTest)
#include "set_param_editor_test.moc"
