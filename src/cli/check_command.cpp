#include "cli/check_command.h"

#include <cstdio>
#include <memory>

#include "cli/cli_host.h"
#include "cli/protocol_file_input.h"
#include "core/common/c_locale_text.h"
#include "core/document/kyrvana_doc.h"
#include "core/document/sequence_handover.h"
#include "core/editor/set_editor_fields.h"

namespace kyrvana::cli {
namespace {

struct CheckArguments {
    std::string file;
    int hardwareType = 0;
    float fullScaleLoad = 111.0f;
    double umPerMicrostep = kDefaultUmPerMicrostep;
};

// The message exactly as the program shows it, after the prefix, ended by a
// line feed when it has none of its own.
std::string prefixed(const std::string& prefix, const std::string& message) {
    std::string text = prefix + message;
    if (text.back() != '\n') {
        text += '\n';
    }
    return text;
}

int runCheck(const CheckArguments& arguments) {
    Protocol sequence;
    HardwareSettings settings;
    if (!readUsableProtocolFile(arguments.file, sequence, settings)) {
        return kExitFailure;
    }
    SetLimitsHardware hardware;
    hardware.hardwareType = arguments.hardwareType;
    hardware.fullScaleLoad = arguments.fullScaleLoad;
    hardware.umPerMicrostep = arguments.umPerMicrostep;
    bool passed = false;
    const std::string report = checkReport(sequence, settings.RepeatTestSequence, hardware, passed);
    if (std::fputs(report.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        return kExitFailure;
    }
    return passed ? kExitSuccess : kExitFailure;
}

}  // namespace

std::string checkReport(const Protocol& sequence, std::int32_t repeatCount,
                        const SetLimitsHardware& hardware, bool& passed) {
    std::string report;
    passed = true;
    for (int i = 0; i < sequence.setCount(); ++i) {
        const SetRecord& set = sequence.sets[static_cast<std::size_t>(i)];
        const SetLimitsResult result = checkSetLimits(setEditorFields(set), set, hardware);
        for (const std::string& message : result.messages) {
            report += prefixed(cFormat("Set %d: ", i + 1), message);
            passed = false;
        }
    }

    // The sequence checks as Program Device runs them, with the file's repeat
    // count in the form's field. Their message boxes are collected, not shown.
    CliHost host(nullptr);
    CKyrvanaDoc document(host);
    bool sequencePassed = false;
    host.withView([&](SequenceViewModel& view) {
        view.workingSequence = sequence;
        view.showRepeatCount(repeatCount);
        sequencePassed = checkSequenceBeforeProgramming(view, document, host) == 1;
    });
    if (!sequencePassed) {
        report += prefixed("Sequence: ", host.lastBoxText());
        passed = false;
    }
    return report;
}

void addCheckCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<CheckArguments>();
    CLI::App* check = app.add_subcommand(
        "check", "Check a protocol file against the hardware's limits without a device");
    check->add_option("FILE", arguments->file, "Protocol file (.tmt)")
        ->required()
        ->check(CLI::ExistingFile);
    check
        ->add_option("--hardware-type", arguments->hardwareType,
                     "Hardware type: 0 or 1 Kyrvana P7 (compresses), 2 Kyrvana Q3 (stretches)")
        ->check(CLI::Range(0, 255));
    check
        ->add_option("--full-scale-load", arguments->fullScaleLoad,
                     "Full-scale load of well 1's load cell, in newtons")
        ->check(CLI::NonNegativeNumber);
    check
        ->add_option("--um-per-ustep", arguments->umPerMicrostep, "Micrometres per motor microstep")
        ->check(CLI::PositiveNumber);
    check->callback([arguments, &options] { options.exitStatus = runCheck(*arguments); });
}

}  // namespace kyrvana::cli
