#include "cli/verify_command.h"

#include <cstdio>
#include <memory>

#include "cli/programmed_test_input.h"
#include "core/document/kyrvana_doc.h"

namespace kyrvana::cli {
namespace {

int runVerify(const ProgrammedTestArguments& arguments, const CliOptions& options) {
    ProgrammedTest test;
    if (const int loaded = loadProgrammedTest(arguments, test); loaded != kExitSuccess) {
        return loaded;
    }
    return withTestInWindow(options, arguments, test, [](CKyrvanaDoc& document) {
        return printVerifyReport(VerifyDevice(document));
    });
}

}  // namespace

int printVerifyReport(const VerifyReport& report) {
    if (!report.read) {
        std::fprintf(stderr, "kyrvana-cli: could not read the device: %s\n",
                     report.read.describe().c_str());
        return kExitFailure;
    }
    if (std::fputs(comparisonText(report).c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return kExitFailure;
    }
    if (!report.matches()) {
        std::fprintf(stderr, "kyrvana-cli: the device differs from the sequence in %zu %s\n",
                     report.differences.size(), report.differences.size() == 1 ? "item" : "items");
        return kExitFailure;
    }
    return kExitSuccess;
}

void addVerifyCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ProgrammedTestArguments>();
    CLI::App* verify = app.add_subcommand(
        "verify",
        "Compare what the stimulator holds with a protocol file's sequence, as Verify Device does");
    addProgrammedTestOptions(*verify, *arguments);
    verify->callback(
        [arguments, &options] { options.exitStatus = runVerify(*arguments, options); });
}

}  // namespace kyrvana::cli
