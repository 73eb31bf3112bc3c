#include "gui/app/command_line.h"

#include <QCommandLineParser>

namespace kyrvana::gui {

bool parseCommandLine(const QStringList& arguments, CommandLineOptions& options, QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kyrvana: compose, check, save, program and read back the test "
                       "sequences of the six-well cell-culture stimulator."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated stimulator inside the program and connect to it."));
    const QCommandLineOption sysfsRoot(
        QStringLiteral("sysfs-root"),
        QStringLiteral("Look for the stimulator's port under <dir> instead of / (the tree "
                       "that `kyrvana-sim --sysfs-root <dir>` publishes)."),
        QStringLiteral("dir"));
    parser.addOption(simulate);
    parser.addOption(sysfsRoot);
    if (!parser.parse(arguments)) {
        if (error != nullptr) {
            *error = parser.errorText();
        }
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    if (!parser.positionalArguments().isEmpty()) {
        if (error != nullptr) {
            *error = QStringLiteral("unexpected argument: %1")
                         .arg(parser.positionalArguments().constFirst());
        }
        return false;
    }
    options.simulate = parser.isSet(simulate);
    options.sysfsRoot = parser.value(sysfsRoot);
    if (options.simulate && !options.sysfsRoot.isEmpty()) {
        if (error != nullptr) {
            *error = QStringLiteral("--simulate and --sysfs-root cannot be used together");
        }
        return false;
    }
    return true;
}

}  // namespace kyrvana::gui
