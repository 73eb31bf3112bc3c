#include "gui/app/command_table.h"

#include <algorithm>
#include <array>

#include "core/document/command_ids.h"

namespace kyrvana::gui {
namespace {

using M = CommandMenu;
using H = CommandHandler;

constexpr std::array kCommands{
    CommandEntry{kCmdFileOpen, M::kFile, "&Open...\tCtrl+O", "Open Protocol File\nOpen",
                 H::kDocument, false},
    CommandEntry{kCmdFileSave, M::kFile, "&Save\tCtrl+S", "Save As Protocol File\nSave",
                 H::kDocument, false},
    CommandEntry{kCmdExportPreview, M::kFile, "&Export Preview...",
                 "Save the sequence preview as a PNG or SVG picture or a CSV table\nExport Preview",
                 H::kDocument, false},
    CommandEntry{kCmdAppExit, M::kFile, "E&xit", "Quit Kyrvana\nExit", H::kFrame, true},
    CommandEntry{kCmdReadDevice, M::kHardware, "Read Device", "Read Kyrvana Device", H::kDocument,
                 false},
    CommandEntry{kCmdVerifyDevice, M::kHardware, "Verify Device",
                 "Compare the sequence in the device with the one in the window\nVerify Device",
                 H::kDocument, false},
    CommandEntry{kCmdProgramDevice, M::kHardware, "Program Device", "Program Kyrvana Device",
                 H::kDocument, false},
    CommandEntry{kCmdAccessTestData, M::kHardware, "Access Test Data",
                 "List, download and delete the test data files on the device\nAccess Test Data",
                 H::kDocument, false},
    CommandEntry{kCmdCalibrationMode, M::kHardware, "Calibration Mode",
                 "Calibration mode is not available\nCalibration Mode", H::kDocument, true},
    CommandEntry{kCmdLoadCellCalibration, M::kHardware, "Load Cell Calibration",
                 "Calibrate the load cells of the wells\nLoad Cell Calibration", H::kDocument,
                 false},
    CommandEntry{kCmdMoveToPosition, M::kHardware, "Move To Position",
                 "Move the actuators of the wells\nMove To Position", H::kDocument, false},
    CommandEntry{kCmdForceControlSettings, M::kHardwareAdvanced, "Force Control Settings",
                 "Set the maximum velocity code of force control\nForce Control Settings",
                 H::kDocument, false},
    CommandEntry{kCmdDisableWells, M::kHardwareAdvanced, "Disable Wells",
                 "Choose the wells that stay still during homing and tests\nDisable Wells",
                 H::kDocument, false},
    CommandEntry{kCmdManualConnectDevice, M::kHardwareAdvanced, "Manual Connect Device",
                 "Look for the stimulator and connect to it now\nManual Connect Device",
                 H::kDocument, false},
    CommandEntry{kCmdAppAbout, M::kHardwareHelp, "&About Kyrvana...",
                 "Show the program's version\nAbout", H::kApplication, false},
    CommandEntry{kCmdConnectionIndicator, M::kNone, "",
                 "Ensure that the device is powered on and all cables are properly connected\n",
                 H::kNone, false},
};

constexpr std::array kToolbar{
    static_cast<int>(kCmdConnectionIndicator),
    static_cast<int>(kCmdFileOpen),
    static_cast<int>(kCmdFileSave),
    static_cast<int>(kCmdReadDevice),
    static_cast<int>(kCmdProgramDevice),
    static_cast<int>(kCmdAccessTestData),
};

}  // namespace

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry* findCommand(int id) {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [id](const CommandEntry& entry) { return entry.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}

std::span<const int> toolbarCommands() {
    return kToolbar;
}

QString menuLabel(const char* menuText) {
    const QString text = QString::fromLatin1(menuText);
    return text.section(QLatin1Char('\t'), 0, 0);
}

QKeySequence menuShortcut(const char* menuText) {
    const QString text = QString::fromLatin1(menuText);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QKeySequence() : QKeySequence(text.mid(tab + 1), QKeySequence::PortableText);
}

QString promptStatusText(const char* prompt) {
    return QString::fromLatin1(prompt).section(QLatin1Char('\n'), 0, 0);
}

QString promptToolTip(const char* prompt) {
    const QString text = QString::fromLatin1(prompt);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    return newline < 0 ? QString() : text.mid(newline + 1);
}

QString toolTipFor(const CommandEntry& entry) {
    const QString tip = promptToolTip(entry.prompt);
    if (!tip.isEmpty()) {
        return tip;
    }
    QString label = menuLabel(entry.menuText);
    label.remove(QLatin1Char('&'));
    return label.endsWith(QLatin1String("...")) ? label.chopped(3) : label;
}

}  // namespace kyrvana::gui
