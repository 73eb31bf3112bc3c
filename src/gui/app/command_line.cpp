#include "gui/app/command_line.h"

#include <QCommandLineParser>

#include "kyrvana/project_identity.h"

namespace kyrvana::gui {
namespace {

// The options that QGuiApplication and QApplication take out of argv when they
// start (the X11 ones included). The parser must know them so as not to refuse
// a command line that carries them; it ignores their values.
void addQtOwnOptions(QCommandLineParser& parser) {
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
          "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display", "geometry",
          "name", "title", "style", "stylesheet"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "sync", "nograb", "dograb"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The parser names the program "<executable_name>" while no application object
// exists; the usage line names it as the user types it.
QString helpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    const qsizetype endOfUsage = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: kyrvana [options]") + text.mid(endOfUsage);
}

CommandLine usageError(const QString& text) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.text = text;
    return line;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's options are words after a single dash; ours keep their two.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kyrvana: compose, check, save, program and read back the test "
                       "sequences of the six-well cell-culture stimulator."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated stimulator inside the program and connect to it."));
    const QCommandLineOption sysfsRoot(
        QStringLiteral("sysfs-root"),
        QStringLiteral("Look for the stimulator's port under <dir> instead of / (the tree "
                       "that `kyrvana-sim --sysfs-root <dir>` publishes)."),
        QStringLiteral("dir"));
    parser.addOptions({help, version, simulate, sysfsRoot});
    addQtOwnOptions(parser);

    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.text = helpText(parser);
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("kyrvana %1\n").arg(QString::fromLatin1(kVersion));
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unexpected argument: %1")
                              .arg(parser.positionalArguments().constFirst()));
    }
    line.options.simulate = parser.isSet(simulate);
    line.options.sysfsRoot = parser.value(sysfsRoot);
    if (line.options.simulate && !line.options.sysfsRoot.isEmpty()) {
        return usageError(QStringLiteral("--simulate and --sysfs-root cannot be used together"));
    }
    return line;
}

}  // namespace kyrvana::gui
