#pragma once

// What the protocol reader met in a file and could not take: header keywords
// that name no column, and values that are not values of their column (a word
// the vocabulary does not know, a number with no digits). The reader builds
// the sequence as it always does (-1 for such a word, 0 for such a number);
// this list is what tells a caller that the sequence is not what the file's
// author wrote, so that a CSV data file or a misspelt waveform is not taken
// for a test.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/instruction.h"

namespace kyrvana {

struct ProtocolReadProblem {
    // Counted from 1, as an editor shows it.
    std::size_t line = 0;
    // The file's word, cut to kShownWordLength bytes (then `cut` is set).
    std::string word;
    bool cut = false;
    // The column the word was a value of; Unknown when the word is a header
    // keyword that names no column.
    Instruction column = Instruction::Unknown;

    bool isUnknownColumn() const { return column == Instruction::Unknown; }
};

class ProtocolReadProblems {
  public:
    // A file that is no protocol at all can hold millions of unreadable
    // words; the first few say enough, the rest are only counted.
    static constexpr std::size_t kKept = 20;
    static constexpr std::size_t kShownWordLength = 60;

    void add(std::size_t line, std::string_view word, Instruction column);
    // Adds another list's problems after these ones.
    void append(const ProtocolReadProblems& later);

    const std::vector<ProtocolReadProblem>& kept() const { return kept_; }
    std::size_t unknownColumns() const { return unknownColumns_; }
    std::size_t unreadableValues() const { return unreadableValues_; }
    std::size_t total() const { return unknownColumns_ + unreadableValues_; }
    bool empty() const { return total() == 0; }

  private:
    std::vector<ProtocolReadProblem> kept_;
    std::size_t unknownColumns_ = 0;
    std::size_t unreadableValues_ = 0;
};

// One line without a line end, such as
//   line 1: unknown column "Time,Force"
//   line 4, XFunction: unknown waveform "Rmp"
//   line 4, NumReps: no number in "five"
// Bytes that are not printable ASCII are shown as \xNN, so that a binary file
// cannot put control characters on a terminal.
std::string protocolReadProblemText(const ProtocolReadProblem& problem);

// The kept problems, one per line each ended by a line feed, and a last line
// "... and N more" when some were only counted.
std::string protocolReadProblemsText(const ProtocolReadProblems& problems);

}  // namespace kyrvana
