#include "core/protocol/protocol_read_problems.h"

#include "core/common/c_locale_text.h"
#include "core/protocol/instruction_keywords.h"

namespace kyrvana {
namespace {

// What a value of the column should have been.
const char* expectedValue(Instruction column) {
    switch (column) {
        case Instruction::XMode:
        case Instruction::YMode:
        case Instruction::ZMode:
            return "control mode";
        case Instruction::XFunction:
        case Instruction::YFunction:
        case Instruction::ZFunction:
            return "waveform";
        case Instruction::XUnits:
        case Instruction::YUnits:
        case Instruction::ZUnits:
            return "unit";
        case Instruction::XPreloadType:
        case Instruction::YPreloadType:
        case Instruction::ZPreloadType:
            return "preload type";
        case Instruction::TimeUnits:
            return "time unit";
        case Instruction::DataType:
            return "data type";
        case Instruction::DataFreqHz:
            return "data frequency";
        case Instruction::ImageFreqHz:
            return "image frequency";
        default:
            return nullptr;
    }
}

std::string shownWord(std::string_view word) {
    std::string shown;
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e || c == '"' || c == '\\') {
            shown += cFormat("\\x%02X", byte);
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

void ProtocolReadProblems::add(std::size_t line, std::string_view word, Instruction column) {
    if (column == Instruction::Unknown) {
        ++unknownColumns_;
    } else {
        ++unreadableValues_;
    }
    if (kept_.size() < kKept) {
        kept_.push_back({line, std::string(word.substr(0, kShownWordLength)),
                         word.size() > kShownWordLength, column});
    }
}

void ProtocolReadProblems::append(const ProtocolReadProblems& later) {
    for (const ProtocolReadProblem& problem : later.kept_) {
        if (kept_.size() < kKept) {
            kept_.push_back(problem);
        }
    }
    // The counts take in those that the later list only counted.
    unknownColumns_ += later.unknownColumns_;
    unreadableValues_ += later.unreadableValues_;
}

std::string protocolReadProblemText(const ProtocolReadProblem& problem) {
    std::string word = shownWord(problem.word);
    if (problem.cut) {
        word += "...";
    }
    if (problem.isUnknownColumn()) {
        return cFormat("line %zu: unknown column \"%s\"", problem.line, word.c_str());
    }
    const std::string column(instructionName(problem.column));
    if (const char* expected = expectedValue(problem.column)) {
        return cFormat("line %zu, %s: unknown %s \"%s\"", problem.line, column.c_str(), expected,
                       word.c_str());
    }
    return cFormat("line %zu, %s: no number in \"%s\"", problem.line, column.c_str(), word.c_str());
}

std::string protocolReadProblemsText(const ProtocolReadProblems& problems) {
    std::string text;
    for (const ProtocolReadProblem& problem : problems.kept()) {
        text += protocolReadProblemText(problem);
        text += '\n';
    }
    if (problems.total() > problems.kept().size()) {
        text += cFormat("... and %zu more\n", problems.total() - problems.kept().size());
    }
    return text;
}

}  // namespace kyrvana
