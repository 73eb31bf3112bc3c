// kyrvana-cli: the core operations of Kyrvana as subcommands, for scripts and
// for checking a set-up without a screen. Data goes to standard output,
// diagnostics to standard error.

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/calibrate_command.h"
#include "cli/check_command.h"
#include "cli/cli_options.h"
#include "cli/delete_command.h"
#include "cli/download_command.h"
#include "cli/files_command.h"
#include "cli/home_command.h"
#include "cli/identify_command.h"
#include "cli/move_command.h"
#include "cli/ports_command.h"
#include "cli/position_command.h"
#include "cli/profile_command.h"
#include "cli/program_command.h"
#include "cli/read_command.h"
#include "cli/show_command.h"
#include "cli/verify_command.h"
#include "core/common/interrupt_cleanup.h"
#include "core/device/message_log.h"
#include "kyrvana/project_identity.h"

int main(int argc, char** argv) {
    using namespace kyrvana::cli;

    CliOptions options;
    CLI::App app{"Kyrvana six-well stimulator: command-line tool", "kyrvana-cli"};
    app.option_defaults()->always_capture_default();
    app.set_version_flag("--version", std::string("kyrvana-cli ") + kyrvana::kVersion,
                         "Print the version and exit");
    app.add_option("--port", options.port,
                   "Serial port of the stimulator (default: found by its USB ids)");
    app.add_option("--sysfs-root", options.sysfsRoot, "Root folder of the sysfs tree to search")
        ->check(CLI::ExistingDirectory);
    app.add_option("--timeout", options.timeoutMs, "Read time-out per device answer, in ms")
        ->check(CLI::PositiveNumber);
    app.add_option("--settle-ms", options.settleMs,
                   "Wait after opening the port before the device is asked, in ms")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("-v,--verbose", options.verbosity, "Message log lines on standard error");
    app.require_subcommand(1);

    // Ctrl+C while a file is being written leaves the earlier file and no
    // temporary one.
    kyrvana::installInterruptCleanup();

    // Standard output carries only data: the message log never writes there,
    // and with -v its lines go to standard error.
    kyrvana::MessageLog::Instance().SetStandardOutput(nullptr);
    app.parse_complete_callback([&options] {
        kyrvana::MessageLog::Instance().SetStandardOutput(options.verbosity > 0 ? stderr : nullptr);
    });

    // One line per subcommand.
    addShowCommand(app, options);
    addProfileCommand(app, options);
    addPortsCommand(app, options);
    addIdentifyCommand(app, options);
    addProgramCommand(app, options);
    addReadCommand(app, options);
    addVerifyCommand(app, options);
    addCheckCommand(app, options);
    addFilesCommand(app, options);
    addDownloadCommand(app, options);
    addDeleteCommand(app, options);
    addPositionCommand(app, options);
    addMoveCommand(app, options);
    addHomeCommand(app, options);
    addCalibrateCommand(app, options);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success);  // --help, --version
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return kExitUsage;
    }
    return options.exitStatus;
}
