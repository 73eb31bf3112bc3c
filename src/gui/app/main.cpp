// The desktop application's entry point: the command line first, then the
// application object, its main frame and the one document.
#include <QStringList>
#include <cstdio>

#include "gui/app/command_line.h"
#include "gui/app/kyrvana_app.h"

namespace {

constexpr int kExitCannotStart = 1;
constexpr int kExitUsage = 2;

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    using kyrvana::gui::CommandLine;
    // Read before the application object exists, which needs a display: help,
    // version and usage errors are answered on any terminal.
    const CommandLine line = kyrvana::gui::parseCommandLine(argumentList(argc, argv));
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            std::fputs(line.text.toLocal8Bit().constData(), stdout);
            return std::fflush(stdout) == 0 ? 0 : kExitCannotStart;
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "kyrvana: %s\nTry 'kyrvana --help'.\n",
                         line.text.toLocal8Bit().constData());
            return kExitUsage;
        case CommandLine::Action::Run:
            break;
    }

    kyrvana::gui::CKyrvanaApp app(argc, argv);
    if (!app.initInstance(line.options)) {
        return kExitCannotStart;
    }
    return app.exec();
}
