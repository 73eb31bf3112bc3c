#pragma once

#include <QString>
#include <QStringList>

namespace kyrvana::gui {

// What the program was started with.
struct CommandLineOptions {
    // Start a simulated stimulator in this process and connect to it.
    bool simulate = false;
    // Look for the stimulator's port under this sysfs root (a separately
    // started `kyrvana-sim --sysfs-root DIR`); empty: the system's own.
    QString sysfsRoot;
};

// What the command line asks for: open the window with the options, or print
// a text and end.
struct CommandLine {
    enum class Action {
        Run,         // open the window
        Help,        // print `text` (the options) on standard output, exit 0
        Version,     // print `text` (the version) on standard output, exit 0
        UsageError,  // print `text` (what is wrong) on standard error, exit 2
    };
    Action action = Action::Run;
    CommandLineOptions options;
    QString text;
};

// Parses the arguments (argv[0] first) without needing an application object,
// so that --help and --version answer before the window system is reached.
// Qt's own options (-platform NAME, -style NAME, -reverse, ...) are accepted
// and left for the application object, which reads them from argv itself.
CommandLine parseCommandLine(const QStringList& arguments);

}  // namespace kyrvana::gui
