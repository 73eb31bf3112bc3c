#pragma once

#include <QKeySequence>
#include <QString>
#include <span>

namespace kyrvana::gui {

// Where a command appears in the main frame's menu.
enum class CommandMenu {
    kNone,  // toolbar only
    kFile,
    kHardware,
    kHardwareAdvanced,
    kHardwareHelp,
};

// Who carries a command out.
enum class CommandHandler {
    kNone,         // no handler: only the enabling rule applies (the connection indicator)
    kFrame,        // the main frame itself (Exit)
    kApplication,  // the application (the about box)
    kDocument,     // announced through CMainFrame::commandTriggered for the document
};

// One menu or toolbar command. `menuText` is the menu item's text with its
// shortcut after a tab ("&Open...\tCtrl+O"); `prompt` is the status-bar text,
// then after a line feed the tooltip.
struct CommandEntry {
    int id;
    CommandMenu menu;
    const char* menuText;
    const char* prompt;
    CommandHandler handler;
    bool separatorBefore;
};

// Every command of the main frame, in menu order. The same table drives the
// menu, the toolbar's prompts, the dispatch and the enabling.
std::span<const CommandEntry> commandTable();
const CommandEntry* findCommand(int id);

// The toolbar's buttons, left to right.
std::span<const int> toolbarCommands();

// The parts of a menu text and a prompt.
QString menuLabel(const char* menuText);          // text before the tab
QKeySequence menuShortcut(const char* menuText);  // after the tab, empty when none
QString promptStatusText(const char* prompt);     // before the line feed
QString promptToolTip(const char* prompt);        // after it, empty when none
// The tooltip, or the menu label without its mnemonic when the prompt has none.
QString toolTipFor(const CommandEntry& entry);

}  // namespace kyrvana::gui
