#include "cli/protocol_file_input.h"

#include <algorithm>
#include <cstdio>

#include "core/protocol/protocol_read_problems.h"

namespace kyrvana::cli {
namespace {

bool hasKnownColumn(const Protocol& sequence) {
    return std::any_of(sequence.columns.begin(), sequence.columns.end(),
                       [](Instruction column) { return column != Instruction::Unknown; });
}

void listProblems(const std::string& path, const ProtocolReadProblems& problems) {
    for (const ProtocolReadProblem& problem : problems.kept()) {
        std::fprintf(stderr, "kyrvana-cli: %s: %s\n", path.c_str(),
                     protocolReadProblemText(problem).c_str());
    }
    if (problems.total() > problems.kept().size()) {
        std::fprintf(stderr, "kyrvana-cli: %s: ... and %zu more\n", path.c_str(),
                     problems.total() - problems.kept().size());
    }
}

}  // namespace

bool reportProtocolReadStatus(const std::string& shownName, ProtocolReadStatus status) {
    switch (status) {
        case ProtocolReadStatus::CannotOpen:
            std::fprintf(stderr, "kyrvana-cli: cannot open %s\n", shownName.c_str());
            return false;
        case ProtocolReadStatus::Damaged:
            std::fprintf(stderr,
                         "kyrvana-cli: %s is not a readable protocol file (reading stopped "
                         "before its end)\n",
                         shownName.c_str());
            return false;
        case ProtocolReadStatus::LastRowCutShort:
            std::fprintf(stderr,
                         "kyrvana-cli: %s: the last row ends before its last column and was left "
                         "out\n",
                         shownName.c_str());
            return true;
        case ProtocolReadStatus::Complete:
            return true;
    }
    return false;
}

bool readUsableProtocolFile(const std::string& path, Protocol& sequence,
                            HardwareSettings& hardware) {
    ProtocolReadProblems problems;
    if (!reportProtocolReadStatus(path, readProtocolFile(path, sequence, hardware, &problems))) {
        return false;
    }
    listProblems(path, problems);
    if (!hasKnownColumn(sequence)) {
        std::fprintf(stderr,
                     "kyrvana-cli: %s is not a protocol file: no word of its header names a "
                     "column\n",
                     path.c_str());
        return false;
    }
    if (problems.unreadableValues() > 0) {
        std::fprintf(stderr, "kyrvana-cli: %s is refused: %zu value%s could not be read\n",
                     path.c_str(), problems.unreadableValues(),
                     problems.unreadableValues() == 1 ? "" : "s");
        return false;
    }
    if (problems.unknownColumns() > 0) {
        std::fprintf(stderr, "kyrvana-cli: %s: the values of unknown columns are skipped\n",
                     path.c_str());
    }
    return true;
}

}  // namespace kyrvana::cli
