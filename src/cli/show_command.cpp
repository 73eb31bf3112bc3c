#include "cli/show_command.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/protocol_file_input.h"
#include "core/common/c_locale_text.h"
#include "core/editor/sequence_list_text.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana::cli {
namespace {

struct ShowArguments {
    std::string file;
};

void appendRow(std::string& text, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            text += '\t';
        }
        text += cells[i];
    }
    text += '\n';
}

int runShow(const ShowArguments& arguments) {
    Protocol protocol;
    HardwareSettings hardware;
    const bool fromStdin = arguments.file == "-";
    const ProtocolReadStatus status = fromStdin
                                          ? readProtocol(std::cin, protocol, hardware)
                                          : readProtocolFile(arguments.file, protocol, hardware);
    const std::string shownName = fromStdin ? "standard input" : arguments.file;
    if (!reportProtocolReadStatus(shownName, status)) {
        return kExitFailure;
    }
    std::cout << showText(protocol, hardware);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "kyrvana-cli: cannot write to standard output\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

std::string showText(const Protocol& protocol, const HardwareSettings& hardware) {
    std::string text;
    text += cFormat("FirmwareVersion\t%d\n", hardware.FirmwareVersion);
    text += cFormat("ForceVelocityCode\t%u\n", hardware.ForceVelocityCode);
    text += cFormat("RepeatTestSequence\t%d\n", hardware.RepeatTestSequence);

    std::vector<std::string> titles;
    for (const SequenceListColumnLayout& column : sequenceListColumns()) {
        titles.emplace_back(column.title);
    }
    appendRow(text, titles);
    for (int i = 0; i < protocol.setCount(); ++i) {
        appendRow(text, sequenceListRowTexts(protocol, i));
    }

    const std::int32_t totalSeconds =
        shownTotalSeconds(totalDurationSeconds(protocol), hardware.RepeatTestSequence);
    text += "Total Time\t" + totalTimeText(totalSeconds) + "\n";
    text += "Used Memory (%)\t" + usedMemoryText(usedMemoryPercent(protocol.sets.size())) + "\n";
    return text;
}

void addShowCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ShowArguments>();
    CLI::App* show = app.add_subcommand(
        "show", "Print a protocol file's hardware values and its sequence as the window lists it");
    show->add_option("FILE", arguments->file, "Protocol file (.tmt), or - for standard input")
        ->required();
    show->callback([arguments, &options] { options.exitStatus = runShow(*arguments); });
}

}  // namespace kyrvana::cli
