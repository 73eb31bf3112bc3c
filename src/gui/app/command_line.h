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

// Parses the arguments (argv[0] first). False with a message in `error`
// for an unknown option or a missing value; `--help` and `--version` print
// and exit inside.
bool parseCommandLine(const QStringList& arguments, CommandLineOptions& options, QString* error);

}  // namespace kyrvana::gui
