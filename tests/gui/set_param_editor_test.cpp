// The set editor. What its fields show for a set, the rules of its check
// boxes and which limits apply are the core's; here the window's part: the
// widgets carry a set there and back unchanged, the wells show and take
// input as their boxes say, OK reports every failed limit in one box and
// keeps the dialog open, and with a device the check runs off the GUI
// thread while the dialog waits with its controls disabled.
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

#include "dialog_bench.h"

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
    explicit Editor(int hardwareType, SetRecord opened = {}, DisabledWells disabled = {})
        : set(opened), wells(disabled), dialog(set, offline(hardwareType), wells, boxes) {}
    SetRecord set;
    DisabledWells wells;
    RecordingMessageBoxes boxes;
    CSetParamEditor dialog;
};

}  // namespace

class SetParamEditorTest : public QObject {
    Q_OBJECT

  private slots:
    void okSavesTheFields();
    void openAndOkLeavesEverySetUnchanged();
    void okReportsAllFailuresInOneBoxAndStaysOpen();
    void customizeShowsTheWellsAndUncheckingCopiesWellOne();
    void checkWithADeviceRunsOffTheGuiThread();
};

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

    QVERIFY(editor.boxes.shown.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    SetRecord expected;
    expected.name = "A name longer t";  // the field takes 15 characters
    expected.mode[0] = ControlMode::Force;
    expected.units[0] = UnitsCode::Millinewtons;
    expected.function[0] = FunctionType::Sinusoid;
    expected.timeUnits = TimeUnits::Hours;
    expected.stretchDurationMs = 5400000;
    expected.recoveryDurationMs = 900000;
    expected.magnitude.fill(111000.0);
    expected.preloadMag.fill(50.0);
    expected.preloadType[0] = PreloadType::FirstRepetition;
    expected.dataFrequency = DataFrequency::Hz0_001;
    QCOMPARE(editor.set, expected);
}

// Sets as files and devices hand them over: a unit, a function and a
// preload the editor's combos do not offer, durations without a short form,
// long fractions, wells that differ, unused phases below 0. Opened and
// closed with OK, each comes back through the widgets exactly as it was
// (every time unit and duration is the core's to carry).
void SetParamEditorTest::openAndOkLeavesEverySetUnchanged() {
    std::vector<SetRecord> sets;
    SetRecord tenths;
    tenths.timeUnits = TimeUnits::Deciseconds;
    tenths.stretchDurationMs = 120599;
    tenths.recoveryDurationMs = 2147483647;
    tenths.restTimeMs = 86400001;
    tenths.magnitude.fill(599.1);
    tenths.preloadMag.fill(0.30000000000000004);
    sets.push_back(tenths);
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
        QVERIFY(editor.boxes.shown.isEmpty());
        QCOMPARE(editor.dialog.result(), int(QDialog::Accepted));
        QVERIFY2(editor.set == original, qPrintable(QStringLiteral("%1 ms, unit %2")
                                                        .arg(original.stretchDurationMs)
                                                        .arg(codeOf(original.timeUnits))));
    }
}

// A refused OK keeps the dialog open with the entries as typed, and a
// recovery typed as 0 has checked its box all the same.
void SetParamEditorTest::okReportsAllFailuresInOneBoxAndStaysOpen() {
    Editor editor(2);
    CSetParamEditor& dialog = editor.dialog;
    retype(dialog.recoveryDurationEdit(), QStringLiteral("0"));
    retype(dialog.loadDurationEdit(), QStringLiteral("0.2"));
    retype(dialog.magnitudeEdit(1), QStringLiteral("1000"));
    retype(dialog.repetitionsEdit(), QStringLiteral("1"));
    dialog.accept();

    QCOMPARE(editor.boxes.shown.size(), 1);
    QCOMPARE(editor.boxes.shown[0].text,
             QStringLiteral("Error:  Minimum Stretch Duration = 250.00 mS\n"
                            "Error:  Maximum Ramp Speed = 4.0 mm/S\n"));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(editor.set, SetRecord{});
    QCOMPARE(dialog.magnitudeEdit(1)->text(), QStringLiteral("1000"));
    QVERIFY(dialog.doNotRecoverBox()->isChecked());
    QVERIFY(!dialog.recoveryDurationEdit()->isEnabled());
}

// Wells that differ open customized, each taking input unless disabled;
// unchecking Customize hides wells 2 to 6 and gives them well 1's values.
void SetParamEditorTest::customizeShowsTheWellsAndUncheckingCopiesWellOne() {
    SetRecord set;
    set.magnitude = {100, 200, 300, 400, 500, 600};
    set.preloadMag = {1, 2, 3, 4, 5, 6};
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 0, 1};
    Editor editor(0, set, wells);
    CSetParamEditor& dialog = editor.dialog;
    const auto wellStates = [&](bool (QWidget::*state)() const) {
        QList<bool> states;
        for (int well = 1; well <= 6; ++well) {
            states << ((dialog.magnitudeEdit(well)->*state)() &&
                       (dialog.preloadEdit(well)->*state)());
        }
        return states;
    };
    QVERIFY(dialog.customizeBox()->isChecked());
    QCOMPARE(wellStates(&QWidget::isEnabled), (QList<bool>{true, false, true, true, true, false}));

    dialog.customizeBox()->click();
    QCOMPARE(wellStates(&QWidget::isHidden), (QList<bool>{false, true, true, true, true, true}));
    QCOMPARE(wellStates(&QWidget::isEnabled),
             (QList<bool>{true, false, false, false, false, false}));
    dialog.accept();
    QCOMPARE(editor.set.magnitude, (std::array<double, 6>{100, 100, 100, 100, 100, 100}));
    QCOMPARE(editor.set.preloadMag, (std::array<double, 6>{1, 1, 1, 1, 1, 1}));
}

void SetParamEditorTest::checkWithADeviceRunsOffTheGuiThread() {
    DialogBench bench;
    bench.device.sim().setLatency(std::chrono::milliseconds(100));
    SetRecord set;
    DisabledWells wells;
    SetLimitsHardware hardware;
    hardware.link = &bench.link;
    CSetParamEditor dialog(set, hardware, wells, bench.boxes);
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
    QCOMPARE(set.magnitude[0], 500.0);
}

QTEST_MAIN(SetParamEditorTest)
#include "set_param_editor_test.moc"
