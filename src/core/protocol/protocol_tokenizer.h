#pragma once

// Splits a protocol file into tokens: maximal runs of non-blank bytes. Line
// ends only matter for the header line, which is read as a whole.

#include <cstddef>
#include <istream>
#include <string>

namespace kyrvana {

// The blanks between tokens: the C locale's white space (a carriage return of
// a CR LF line end is a blank like any other).
constexpr bool isProtocolBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class ProtocolTokenizer {
  public:
    // No value or name in a protocol file comes near this length; a longer
    // token means the input is not a protocol file, and reading stops there
    // instead of holding an arbitrarily long line in memory.
    static constexpr std::size_t kMaxTokenLength = 4096;

    explicit ProtocolTokenizer(std::istream& in);

    // Reads the next token. False at the end of the input, and from the first
    // over-long token on (then failed() is true).
    bool next(std::string& token);

    // Reads what is left of the current line, without its line end, and
    // consumes the line end. False (and failed() true) when the line is longer
    // than maxLength; the rest of such a line is not read.
    bool restOfLine(std::string& line, std::size_t maxLength);

    bool failed() const { return failed_; }

    // The line (from 1) on which the last token read by next() starts, so
    // that what cannot be read can be shown where it stands in the file.
    std::size_t tokenLine() const { return tokenLine_; }

  private:
    std::streambuf* buffer_;
    bool failed_ = false;
    // The line of the next byte to read.
    std::size_t line_ = 1;
    std::size_t tokenLine_ = 0;
};

}  // namespace kyrvana
