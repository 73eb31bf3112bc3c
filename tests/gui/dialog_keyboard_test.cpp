// Every dialog can be worked from the keyboard: each button and each field's
// label has an Alt key of its own, read-only fields look read-only and Tab
// passes them by. (That the focus comes back after device work is tested
// with the move that Space stops.)
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/device/device_link.h"
#include "gui/app/app_settings.h"
#include "gui/controls/mnemonics.h"
#include "gui/editor/set_param_editor.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"
#include "gui/hardware/load_cell_cal_dlg.h"
#include "gui/hardware/move_to_size_dlg.h"
#include "gui/sdcard/access_test_data_dlg.h"
#include "recording_message_boxes.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

using namespace kyrvana;
using namespace kyrvana::gui;

namespace {

// Everything the dialogs are opened with: a simulated stimulator and a link
// to it, the document's values, settings in a temporary INI file.
struct Bench {
    Bench() {
        link.portName = device.portPath();
        link.OpenPort();
        link.serial.setReadTimeoutMs(400);
        settings = std::make_unique<AppSettings>(std::make_unique<QSettings>(
            folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    }

    test::LogCapture log;
    test_support::RunningSimulator device;
    DeviceLink link;
    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    std::unique_ptr<AppSettings> settings;
    SetRecord set;
    DisabledWells wells;
    unsigned velocityCode = 7;
};

using DialogFactory = std::function<std::unique_ptr<QDialog>(Bench&)>;

const QList<QPair<const char*, DialogFactory>>& dialogs() {
    static const QList<QPair<const char*, DialogFactory>> all = {
        {"set editor (P7)",
         [](Bench& bench) {
             return std::make_unique<CSetParamEditor>(bench.set, SetLimitsHardware{}, bench.wells,
                                                      bench.boxes);
         }},
        {"set editor (Q3, force)",
         [](Bench& bench) {
             bench.set.mode[0] = ControlMode::Force;
             SetLimitsHardware hardware;
             hardware.hardwareType = 2;
             return std::make_unique<CSetParamEditor>(bench.set, hardware, bench.wells,
                                                      bench.boxes);
         }},
        {"move to position",
         [](Bench& bench) { return std::make_unique<CMoveToSizeDlg>(bench.link); }},
        {"load cell calibration",
         [](Bench& bench) { return std::make_unique<CLoadCellCalDlg>(bench.link, bench.boxes); }},
        {"access test data",
         [](Bench& bench) {
             return std::make_unique<CAccessTestDataDlg>(bench.link, bench.boxes, *bench.settings);
         }},
        {"disable wells",
         [](Bench& bench) { return std::make_unique<CDisableWellsDlg>(bench.wells, bench.boxes); }},
        {"force control settings",
         [](Bench& bench) {
             return std::make_unique<CForceControlSettingsDlg>(bench.velocityCode, bench.boxes);
         }},
    };
    return all;
}

// The text whose Alt key a control shows: a button's, a group's title, or
// a label's when it names a field.
QString mnemonicText(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->buddy() != nullptr ? label->text() : QString();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    return QString();
}

// Check boxes and group titles may go without one; a button may not.
bool needsMnemonic(QWidget* widget) {
    return qobject_cast<QPushButton*>(widget) != nullptr ||
           qobject_cast<QRadioButton*>(widget) != nullptr ||
           qobject_cast<QLabel*>(widget) != nullptr;
}

void addDialogRows() {
    QTest::addColumn<int>("dialog");
    for (int index = 0; index < dialogs().size(); ++index) {
        QTest::newRow(dialogs()[index].first) << index;
    }
}

bool activate(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

}  // namespace

class DialogKeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void everyButtonAndLabelHasItsOwnAltKey_data() { addDialogRows(); }
    void everyButtonAndLabelHasItsOwnAltKey();
    void readOnlyFieldsLookReadOnly_data() { addDialogRows(); }
    void readOnlyFieldsLookReadOnly();
    void altKeyOfALabelGoesToItsField();
};

void DialogKeyboardTest::everyButtonAndLabelHasItsOwnAltKey() {
    QFETCH(int, dialog);
    Bench bench;
    QVERIFY2(bench.device.ok(), bench.device.error().c_str());
    const std::unique_ptr<QDialog> window = dialogs()[dialog].second(bench);

    QHash<QChar, QString> owners;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString text = mnemonicText(widget);
        const QChar letter = mnemonicOf(text);
        if (needsMnemonic(widget) && !text.isEmpty()) {
            QVERIFY2(!letter.isNull(), qPrintable(text));
        }
        if (letter.isNull()) {
            continue;
        }
        QVERIFY2(!owners.contains(letter), qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                                          .arg(letter)
                                                          .arg(owners.value(letter))
                                                          .arg(text)));
        owners.insert(letter, text);
    }
    QVERIFY(owners.size() >= 2);
    window->reject();
}

void DialogKeyboardTest::readOnlyFieldsLookReadOnly() {
    QFETCH(int, dialog);
    Bench bench;
    QVERIFY(bench.device.ok());
    const std::unique_ptr<QDialog> window = dialogs()[dialog].second(bench);
    for (const QLineEdit* field : window->findChildren<QLineEdit*>()) {
        // As the field looks while the window is active (a disabled field
        // is greyed anyway).
        const QPalette colours = field->palette();
        const bool grey = colours.color(QPalette::Active, QPalette::Base) ==
                          colours.color(QPalette::Active, QPalette::Window);
        QCOMPARE(grey, field->isReadOnly());
        if (field->isReadOnly()) {
            QVERIFY(!(field->focusPolicy() & Qt::TabFocus));
        }
    }
    window->reject();
}

void DialogKeyboardTest::altKeyOfALabelGoesToItsField() {
    Bench bench;
    QVERIFY(bench.device.ok());
    CLoadCellCalDlg dialog(bench.link, bench.boxes);
    QVERIFY(activate(dialog));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.busy(), 10000);
    QChar letter;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() == dialog.weightEdit()) {
            letter = mnemonicOf(label->text());
        }
    }
    QVERIFY(!letter.isNull());
    dialog.gainEdit()->setFocus();
    QTest::keyClick(&dialog, letter.toLatin1(), Qt::AltModifier);
    QVERIFY(dialog.weightEdit()->hasFocus());
    dialog.reject();
}

QTEST_MAIN(DialogKeyboardTest)
#include "dialog_keyboard_test.moc"
