// The well and force-control settings dialogs, driven through their widgets
// with the message boxes answered by a recording fake.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "gui/controls/mnemonics.h"
#include "gui/controls/unsigned_validator.h"
#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"
#include "recording_message_boxes.h"

using kyrvana::DisabledWells;
using kyrvana::gui::CDisableWellsDlg;
using kyrvana::gui::CForceControlSettingsDlg;
using kyrvana::gui::RecordingMessageBoxes;
using kyrvana::gui::shownText;
using kyrvana::gui::UnsignedValidator;

class SettingsDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void disableWellsStartsFromTheDocument();
    void disableWellsRefusesAllSix();
    void disableWellsCancelChangesNothing();
    void forceControlStoresTheTypedCode_data();
    void forceControlStoresTheTypedCode();
    void forceControlRejectsNonNumbers_data();
    void forceControlRejectsNonNumbers();
    void forceControlRefusesAnEmptyEdit();
    void forceControlTextsKeepTheirBlanks();
};

void SettingsDialogsTest::disableWellsStartsFromTheDocument() {
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 1, 0};
    RecordingMessageBoxes boxes;
    CDisableWellsDlg dialog(wells, boxes);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Disable Wells"));
    for (int well = 1; well <= 6; ++well) {
        QCheckBox* box = dialog.disabledBox(well);
        QCOMPARE(box->text(), QStringLiteral("Disabled"));
        QCOMPARE(box->isChecked(), well == 2 || well == 5);
        auto* group = qobject_cast<QGroupBox*>(box->parentWidget());
        QVERIFY(group != nullptr);
        QCOMPARE(shownText(group->title()), QStringLiteral("Well %1").arg(well));
    }
    QVERIFY(dialog.disabledBox(0) == nullptr);
    QVERIFY(dialog.disabledBox(7) == nullptr);
}

void SettingsDialogsTest::disableWellsRefusesAllSix() {
    DisabledWells wells;
    wells.flags = {1, 1, 1, 1, 1, 0};
    wells.mask = 0x1F;
    RecordingMessageBoxes boxes;
    CDisableWellsDlg dialog(wells, boxes);
    dialog.show();
    dialog.disabledBox(6)->setChecked(true);
    dialog.accept();

    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("All wells cannot be disabled."));
    QCOMPARE(boxes.shown[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // Still open, boxes as the user left them, the document untouched.
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.disabledBox(6)->isChecked());
    QCOMPARE(wells.mask, std::uint8_t{0x1F});
    QCOMPARE(wells.flags[5], std::uint8_t{0});

    // Five wells are accepted once the user unchecks one.
    dialog.disabledBox(3)->setChecked(false);
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(wells.mask, std::uint8_t{0x3B});
}

void SettingsDialogsTest::disableWellsCancelChangesNothing() {
    DisabledWells wells;
    RecordingMessageBoxes boxes;
    CDisableWellsDlg dialog(wells, boxes);
    dialog.disabledBox(4)->setChecked(true);
    dialog.reject();
    QCOMPARE(wells.mask, std::uint8_t{0});
    QCOMPARE(wells.flags, (std::array<std::uint8_t, 6>{}));
}

void SettingsDialogsTest::forceControlStoresTheTypedCode_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<unsigned>("stored");
    QTest::newRow("in range") << "5" << 5U;
    QTest::newRow("leading zeros") << "007" << 7U;
    QTest::newRow("largest") << "4294967295" << 4294967295U;
}

void SettingsDialogsTest::forceControlStoresTheTypedCode() {
    QFETCH(QString, typed);
    QFETCH(unsigned, stored);
    unsigned code = 7;
    RecordingMessageBoxes boxes;
    CForceControlSettingsDlg dialog(code, boxes);
    QCOMPARE(dialog.codeEdit()->text(), QStringLiteral("7"));
    dialog.codeEdit()->clear();
    QTest::keyClicks(dialog.codeEdit(), typed);
    QCOMPARE(dialog.codeEdit()->text(), typed);
    dialog.accept();
    QCOMPARE(dialog.result(), int{QDialog::Accepted});
    QCOMPARE(code, stored);
    QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogsTest::forceControlRejectsNonNumbers_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("letters") << "abc"
                             << "";
    QTest::newRow("digits then letters") << "9x"
                                         << "9";
    QTest::newRow("negative") << "-3"
                              << "3";
    QTest::newRow("decimal") << "4.5"
                             << "45";
    QTest::newRow("too large") << "42949672950"
                               << "4294967295";
}

void SettingsDialogsTest::forceControlRejectsNonNumbers() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    unsigned code = 7;
    RecordingMessageBoxes boxes;
    CForceControlSettingsDlg dialog(code, boxes);
    dialog.codeEdit()->clear();
    QTest::keyClicks(dialog.codeEdit(), typed);
    QCOMPARE(dialog.codeEdit()->text(), kept);
}

void SettingsDialogsTest::forceControlRefusesAnEmptyEdit() {
    unsigned code = 7;
    RecordingMessageBoxes boxes;
    CForceControlSettingsDlg dialog(code, boxes);
    dialog.show();
    dialog.codeEdit()->clear();
    dialog.accept();
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].icon, QMessageBox::Critical);
    QVERIFY(dialog.isVisible());
    QCOMPARE(code, 7U);

    dialog.reject();
    QCOMPARE(code, 7U);
}

void SettingsDialogsTest::forceControlTextsKeepTheirBlanks() {
    unsigned code = 7;
    RecordingMessageBoxes boxes;
    CForceControlSettingsDlg dialog(code, boxes);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << shownText(label->text());
    }
    QVERIFY(texts.contains(QStringLiteral("Maximum Velocity Code (1-10)      ")));
    QVERIFY(texts.contains(QStringLiteral("Notes:   ")));
    QVERIFY(texts.contains(QStringLiteral("Typical best values are between 5-9       ")));
    QCOMPARE(texts.size(), 7);
}

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
