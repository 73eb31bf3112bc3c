#include "cli/program_command.h"

#include <cstdio>
#include <memory>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "cli/interrupt_request.h"
#include "cli/protocol_file_input.h"
#include "core/common/c_locale_text.h"
#include "core/editor/test_name_rules.h"
#include "core/programming/device_programming.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana::cli {
namespace {

// Printed only when the device acknowledged every programming command.
constexpr const char* kSuccessText = "Programming Device... Success";

struct ProgramArguments {
    std::string file;
    std::optional<std::string> name;
    std::optional<int> repeats;
    bool disableHoming = false;
    std::optional<std::string> disableWells;
    std::optional<unsigned> velocityCode;
};

int runProgram(const ProgramArguments& arguments, const CliOptions& options) {
    // Everything that can be refused without the device is refused first.
    std::array<bool, DisabledWells::kWells> disabledChecks{};
    if (arguments.disableWells) {
        const auto parsed = parseWellList(*arguments.disableWells);
        if (!parsed) {
            std::fprintf(stderr,
                         "kyrvana-cli: --disable-wells takes well numbers 1 to 6, such "
                         "as 2,5\n");
            return kExitUsage;
        }
        disabledChecks = *parsed;
    }
    DisabledWells disabledWells;
    if (!applyDisabledWells(disabledChecks, disabledWells)) {
        std::fprintf(stderr, "kyrvana-cli: %s\n", kAllWellsDisabledMessage);
        return kExitUsage;
    }

    Protocol sequence;
    HardwareSettings hardware;
    if (!readUsableProtocolFile(arguments.file, sequence, hardware)) {
        return kExitFailure;
    }
    if (arguments.repeats) {
        hardware.RepeatTestSequence = *arguments.repeats;
    }
    if (arguments.velocityCode) {
        hardware.ForceVelocityCode = *arguments.velocityCode;
    }

    // From before the connection, so that an interrupt at any point ends
    // the run the same way: between two items, never inside one.
    InterruptRequest interrupt;
    CliHost host;
    CKyrvanaDoc document(host, documentOptions(options));
    installDeviceProgramming(document);
    // One operation for the run (see withConnectedDevice).
    const auto operation = document.link().BeginOperation();
    if (connectDevice(document, options) != kExitSuccess) {
        return kExitFailure;
    }
    // What Open puts into the document and the view, then the form's fields.
    // The firmware revision stays the one the connection found.
    document.update(
        [&](Protocol& documentSequence, HardwareSettings& settings, DisabledWells& wells) {
            documentSequence = sequence;
            settings.RepeatTestSequence = hardware.RepeatTestSequence;
            settings.ForceVelocityCode = hardware.ForceVelocityCode;
            wells = disabledWells;
        });
    host.withView([&](SequenceViewModel& view) {
        view.showRepeatCount(hardware.RepeatTestSequence);
        view.refreshFrom(sequence);
        if (arguments.name) {
            view.testName = *arguments.name;
        }
        view.homingDisabled = arguments.disableHoming;
    });

    const ProgrammingReport report = ProgramDevice(document, interrupt.flag());
    document.DisconnectDevice();
    if (!report.deviceHolds.empty()) {
        std::fprintf(stderr, "kyrvana-cli: %s\n", report.deviceHolds.c_str());
    }
    if (!report.ok()) {
        const ExchangeTally& exchanges = report.exchanges;
        if (!exchanges.ok()) {
            std::fprintf(stderr,
                         "kyrvana-cli: the device may not hold the sequence: %zu of %d "
                         "programming commands failed\n",
                         exchanges.failures().size(), exchanges.sent());
        }
        return reportFailure(report.outcome);
    }
    if (std::printf("%s\n", kSuccessText) < 0 || std::fflush(stdout) != 0) {
        return kExitFailure;
    }
    return kExitSuccess;
}

// The device keeps the name in front of other settings; a longer one would
// overwrite them, so it is refused before anything is sent.
CLI::Validator testNameLength() {
    return CLI::Validator(
        [](const std::string& name) {
            if (name.size() <= kMaxTestNameLength) {
                return std::string();
            }
            return cFormat(
                "the device keeps a test name of at most %zu characters; this one "
                "has %zu",
                kMaxTestNameLength, name.size());
        },
        "TEXT");
}

}  // namespace

std::optional<std::array<bool, DisabledWells::kWells>> parseWellList(const std::string& list) {
    std::array<bool, DisabledWells::kWells> wells{};
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        if (item.size() != 1 || item[0] < '1' || item[0] > '6') {
            return std::nullopt;
        }
        wells[static_cast<std::size_t>(item[0] - '1')] = true;
        start = comma + 1;
    }
    return wells;
}

void addProgramCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ProgramArguments>();
    CLI::App* program = app.add_subcommand(
        "program",
        "Program a protocol file's sequence into the stimulator, as Program Device does");
    program->add_option("FILE", arguments->file, "Protocol file (.tmt)")
        ->required()
        ->check(CLI::ExistingFile);
    program->add_option("--name", arguments->name, "Test name (default: the name the device holds)")
        ->check(testNameLength());
    program->add_option("--repeats", arguments->repeats,
                        "Repeats of the entire sequence (default: the file's hardware block)");
    program->add_flag("--disable-homing", arguments->disableHoming,
                      "Tell the device not to home before the test");
    program->add_option("--disable-wells", arguments->disableWells,
                        "Wells to leave alone, as numbers 1 to 6 separated by commas");
    program
        ->add_option("--velocity-code", arguments->velocityCode,
                     "Force-control maximum velocity code (default: the file's hardware block)")
        ->check(CLI::Range(1u, 10u));
    program->callback(
        [arguments, &options] { options.exitStatus = runProgram(*arguments, options); });
}

}  // namespace kyrvana::cli
