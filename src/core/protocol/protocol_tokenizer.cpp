#include "core/protocol/protocol_tokenizer.h"

namespace kyrvana {
namespace {

constexpr auto kEnd = std::char_traits<char>::eof();

}  // namespace

// A stream that is already in error is not a readable protocol text.
ProtocolTokenizer::ProtocolTokenizer(std::istream& in)
    : buffer_(in.good() ? in.rdbuf() : nullptr), failed_(buffer_ == nullptr) {}

bool ProtocolTokenizer::next(std::string& token) {
    token.clear();
    if (failed_) {
        return false;
    }
    auto c = buffer_->sgetc();
    while (c != kEnd && isProtocolBlank(std::char_traits<char>::to_char_type(c))) {
        if (c == '\n') {
            ++line_;
        }
        c = buffer_->snextc();
    }
    tokenLine_ = line_;
    while (c != kEnd && !isProtocolBlank(std::char_traits<char>::to_char_type(c))) {
        if (token.size() == kMaxTokenLength) {
            failed_ = true;
            token.clear();
            return false;
        }
        token += std::char_traits<char>::to_char_type(c);
        c = buffer_->snextc();
    }
    return !token.empty();
}

bool ProtocolTokenizer::restOfLine(std::string& line, std::size_t maxLength) {
    line.clear();
    if (failed_) {
        return false;
    }
    // One more byte than allowed may be the carriage return of a CR LF end.
    auto c = buffer_->sbumpc();
    for (; c != kEnd && c != '\n'; c = buffer_->sbumpc()) {
        if (line.size() > maxLength) {
            failed_ = true;
            line.clear();
            return false;
        }
        line += std::char_traits<char>::to_char_type(c);
    }
    if (c == '\n') {
        ++line_;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.size() > maxLength) {
        failed_ = true;
        line.clear();
        return false;
    }
    return true;
}

}  // namespace kyrvana
