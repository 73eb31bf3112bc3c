// The well and force-control settings dialogs, driven through their widgets
// with the message boxes answered by a recording fake. Which wells may be
// disabled is the core's; here the boxes start from the document, a refusal
// keeps the dialog open as the user left it, and Cancel changes nothing.
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include "gui/hardware/disable_wells_dlg.h"
#include "gui/hardware/force_control_settings_dlg.h"
#include "recording_message_boxes.h"

using kyrvana::DisabledWells;
using kyrvana::gui::CDisableWellsDlg;
using kyrvana::gui::CForceControlSettingsDlg;
using kyrvana::gui::RecordingMessageBoxes;

class SettingsDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void disableWellsRefusesAllSixAndCancelKeepsTheDocument();
    void forceControlTakesOnlyAnUnsignedCode();
};

void SettingsDialogsTest::disableWellsRefusesAllSixAndCancelKeepsTheDocument() {
    DisabledWells wells;
    wells.flags = {1, 1, 1, 1, 1, 0};
    wells.mask = 0x1F;
    const DisabledWells before = wells;
    RecordingMessageBoxes boxes;
    {
        CDisableWellsDlg dialog(wells, boxes);
        QVERIFY(dialog.disabledBox(5)->isChecked() && !dialog.disabledBox(6)->isChecked());
        dialog.disabledBox(3)->setChecked(false);
        dialog.reject();
        QCOMPARE(wells.flags, before.flags);
        QCOMPARE(wells.mask, before.mask);
    }
    CDisableWellsDlg dialog(wells, boxes);
    dialog.show();
    dialog.disabledBox(6)->setChecked(true);
    dialog.accept();
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("All wells cannot be disabled."));
    // Still open, boxes as the user left them, the document untouched.
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.disabledBox(6)->isChecked());
    QCOMPARE(wells.mask, std::uint8_t{0x1F});

    // Five wells are accepted once the user unchecks one.
    dialog.disabledBox(3)->setChecked(false);
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(wells.mask, std::uint8_t{0x3B});
}

// The field takes digits only, up to the largest 32-bit code; OK with
// nothing a number says so and keeps the dialog and the code.
void SettingsDialogsTest::forceControlTakesOnlyAnUnsignedCode() {
    const struct {
        const char* typed;
        const char* kept;
        unsigned stored;  // 7, the code before, when refused
    } cases[] = {
        {"5", "5", 5U},
        {"42949672950", "4294967295", 4294967295U},
        {"-3", "3", 3U},
        {"abc", "", 7U},
    };
    for (const auto& c : cases) {
        unsigned code = 7;
        RecordingMessageBoxes boxes;
        CForceControlSettingsDlg dialog(code, boxes);
        dialog.show();
        dialog.codeEdit()->clear();
        QTest::keyClicks(dialog.codeEdit(), QString::fromLatin1(c.typed));
        QCOMPARE(dialog.codeEdit()->text(), QString::fromLatin1(c.kept));
        dialog.accept();
        const bool refused = *c.kept == '\0';
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(boxes.shown.size(), refused ? 1 : 0);
        QCOMPARE(code, c.stored);
    }
}

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
