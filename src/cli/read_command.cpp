#include "cli/read_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "cli/connected_device.h"
#include "cli/show_command.h"
#include "core/common/c_locale_text.h"
#include "core/document/kyrvana_doc.h"
#include "core/programming/device_programming.h"
#include "core/protocol/protocol_writer.h"

namespace kyrvana::cli {
namespace {

struct ReadArguments {
    std::string output;
};

std::string disabledWellsText(const DisabledWells& wells) {
    std::string text;
    for (std::size_t well = 0; well < wells.flags.size(); ++well) {
        if (wells.flags[well] != 0) {
            text += cFormat(text.empty() ? "%zu" : ",%zu", well + 1);
        }
    }
    return text.empty() ? "none" : text;
}

int runRead(const ReadArguments& arguments, const CliOptions& options) {
    ProgrammingReport report;
    Protocol sequence;
    HardwareSettings hardware;
    DisabledWells disabledWells;
    bool homingDisabled = false;
    const int connected = withConnectedDocument(options, [&](CKyrvanaDoc& document, CliHost& host) {
        report = ReadDevice(document);
        sequence = document.sequence();
        hardware = document.hardware();
        disabledWells = document.disabledWells();
        homingDisabled = host.view().homingDisabled;
        return kExitSuccess;
    });
    if (connected != kExitSuccess) {
        return kExitFailure;
    }
    if (!report.ok()) {
        // Nothing is printed or written: an empty or partial sequence would
        // pass for what the device holds.
        return reportFailure(report.outcome);
    }

    // Not part of a protocol file: said on standard error.
    std::fprintf(stderr, "Disabled wells: %s\nHoming disabled: %s\n",
                 disabledWellsText(disabledWells).c_str(), homingDisabled ? "yes" : "no");

    if (std::fputs(showText(sequence, hardware).c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return kExitFailure;
    }
    if (!arguments.output.empty()) {
        // The file is replaced only once the whole new sequence is on the
        // disk: a script that reads a device into the file it keeps must
        // never be left with half a protocol after a full disk or Ctrl+C.
        const WholeFileResult written = writeProtocolFile(arguments.output, sequence, hardware);
        if (!written.written()) {
            std::fprintf(stderr,
                         "kyrvana-cli: cannot write %s: %s; an earlier file of that name is "
                         "unchanged\n",
                         arguments.output.c_str(), written.reason().c_str());
            return kExitFailure;
        }
    }
    return kExitSuccess;
}

}  // namespace

void addReadCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ReadArguments>();
    CLI::App* read = app.add_subcommand(
        "read", "Read the sequence programmed in the stimulator, as Read Device does");
    read->add_option("-o,--output", arguments->output,
                     "Also write it as a protocol file with its hardware block");
    read->callback([arguments, &options] { options.exitStatus = runRead(*arguments, options); });
}

}  // namespace kyrvana::cli
