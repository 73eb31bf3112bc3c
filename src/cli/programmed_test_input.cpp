#include "cli/programmed_test_input.h"

#include <cstdio>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/connected_device.h"
#include "cli/protocol_file_input.h"
#include "core/common/c_locale_text.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/test_name_rules.h"
#include "core/programming/device_programming.h"

namespace kyrvana::cli {
namespace {

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

void putIntoWindow(CKyrvanaDoc& document, CliHost& host, const ProgrammedTestArguments& arguments,
                   const ProgrammedTest& test) {
    // The firmware revision stays the one the connection found.
    document.update([&](Protocol& sequence, HardwareSettings& settings, DisabledWells& wells) {
        sequence = test.sequence;
        settings.RepeatTestSequence = test.hardware.RepeatTestSequence;
        settings.ForceVelocityCode = test.hardware.ForceVelocityCode;
        wells = test.disabledWells;
    });
    host.withView([&](SequenceViewModel& view) {
        view.showRepeatCount(test.hardware.RepeatTestSequence);
        view.refreshFrom(test.sequence);
        if (arguments.name) {
            view.testName = *arguments.name;
        }
        view.homingDisabled = arguments.disableHoming;
    });
}

}  // namespace

void addProgrammedTestOptions(CLI::App& subcommand, ProgrammedTestArguments& arguments) {
    subcommand.add_option("FILE", arguments.file, "Protocol file (.tmt)")
        ->required()
        ->check(CLI::ExistingFile);
    subcommand
        .add_option("--name", arguments.name, "Test name (default: the name the device holds)")
        ->check(testNameLength());
    subcommand.add_option("--repeats", arguments.repeats,
                          "Repeats of the entire sequence (default: the file's hardware block)");
    subcommand.add_flag("--disable-homing", arguments.disableHoming,
                        "The device does not home before the test");
    subcommand.add_option("--disable-wells", arguments.disableWells,
                          "Wells to leave alone, as numbers 1 to 6 separated by commas");
    subcommand
        .add_option("--velocity-code", arguments.velocityCode,
                    "Force-control maximum velocity code (default: the file's hardware block)")
        ->check(CLI::Range(1u, 10u));
}

int loadProgrammedTest(const ProgrammedTestArguments& arguments, ProgrammedTest& test) {
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
    if (!applyDisabledWells(disabledChecks, test.disabledWells)) {
        std::fprintf(stderr, "kyrvana-cli: %s\n", kAllWellsDisabledMessage);
        return kExitUsage;
    }
    if (!readUsableProtocolFile(arguments.file, test.sequence, test.hardware)) {
        return kExitFailure;
    }
    if (arguments.repeats) {
        test.hardware.RepeatTestSequence = *arguments.repeats;
    }
    if (arguments.velocityCode) {
        test.hardware.ForceVelocityCode = *arguments.velocityCode;
    }
    return kExitSuccess;
}

int withTestInWindow(const CliOptions& options, const ProgrammedTestArguments& arguments,
                     const ProgrammedTest& test, const std::function<int(CKyrvanaDoc&)>& work) {
    return withConnectedDocument(options, [&](CKyrvanaDoc& document, CliHost& host) {
        putIntoWindow(document, host, arguments, test);
        return work(document);
    });
}

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

}  // namespace kyrvana::cli
