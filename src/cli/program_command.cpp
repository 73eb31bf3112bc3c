#include "cli/program_command.h"

#include <cstdio>
#include <memory>

#include "cli/cli_device.h"
#include "cli/interrupt_request.h"
#include "cli/programmed_test_input.h"
#include "cli/running_test_refusal.h"
#include "cli/verify_command.h"
#include "core/document/kyrvana_doc.h"
#include "core/programming/device_programming.h"
#include "core/programming/verify_device.h"

namespace kyrvana::cli {
namespace {

// Printed only when the device acknowledged every programming command.
constexpr const char* kSuccessText = "Programming Device... Success";

struct ProgramArguments {
    ProgrammedTestArguments test;
    bool verify = false;
    bool force = false;
};

// What happened, on standard error when it failed; the success text on
// standard output only when the device acknowledged every command.
int reportProgramming(const ProgrammingReport& report) {
    if (!report.ok()) {
        for (const std::string& line : programmingProblemLines(report)) {
            std::fprintf(stderr, "kyrvana-cli: %s\n", line.c_str());
        }
        return kExitFailure;
    }
    if (std::printf("%s\n", kSuccessText) < 0 || std::fflush(stdout) != 0) {
        return kExitFailure;
    }
    return kExitSuccess;
}

int runProgram(const ProgramArguments& arguments, const CliOptions& options) {
    ProgrammedTest test;
    if (const int loaded = loadProgrammedTest(arguments.test, test); loaded != kExitSuccess) {
        return loaded;
    }

    // From before the connection, so that an interrupt at any point ends
    // the run the same way: between two items, never inside one.
    InterruptRequest interrupt;
    return withTestInWindow(options, arguments.test, test, [&](CKyrvanaDoc& document) {
        if (!mayGoOnDespiteTest(document.link(), arguments.force, TestDisturbance::Actuators)) {
            return kExitFailure;
        }
        const int status = reportProgramming(ProgramDevice(document, interrupt.flag()));
        if (status != kExitSuccess || !arguments.verify) {
            return status;
        }
        // The view holds what was just programmed, its test name cleaned.
        return printVerifyReport(VerifyDevice(document));
    });
}

}  // namespace

void addProgramCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ProgramArguments>();
    CLI::App* program = app.add_subcommand(
        "program",
        "Program a protocol file's sequence into the stimulator, as Program Device does");
    addProgrammedTestOptions(*program, arguments->test);
    program->add_flag("--verify", arguments->verify,
                      "Then read the device back and compare, as verify does");
    addForceFlag(program, arguments->force);
    program->callback(
        [arguments, &options] { options.exitStatus = runProgram(*arguments, options); });
}

}  // namespace kyrvana::cli
