#include "sim/command_recognizer.h"

#include <algorithm>
#include <utility>

#include "core/common/c_locale_text.h"
#include "core/device/device_vocabulary.h"

namespace kyrvana::sim {

namespace {

// Longest argument list of a numeric command, and longest quoted text or
// unannounced chunk, before the bytes are given up as garbage. The
// program's command buffers hold at most 512 characters.
constexpr std::size_t kMaxNumberArguments = 64;
constexpr std::size_t kMaxQuotedText = 600;
constexpr std::size_t kMaxChunkText = 4096;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == ',' || isBlank(c);
}

// "12, -3" -> {12, -3}; false when a field is not a plain decimal integer.
bool parseNumbers(std::string_view list, std::vector<std::int64_t>* numbers) {
    numbers->clear();
    const auto trimmed = [](std::string_view field) {
        while (!field.empty() && isBlank(field.front())) {
            field.remove_prefix(1);
        }
        while (!field.empty() && isBlank(field.back())) {
            field.remove_suffix(1);
        }
        return field;
    };
    if (trimmed(list).empty()) {
        return true;
    }
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view field = trimmed(list.substr(0, comma));
        std::size_t digitsFrom = (!field.empty() && (field[0] == '-' || field[0] == '+')) ? 1 : 0;
        if (field.size() <= digitsFrom ||
            !std::all_of(field.begin() + static_cast<std::ptrdiff_t>(digitsFrom), field.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        numbers->push_back(cAtoll(field));
        if (comma == std::string_view::npos) {
            return true;
        }
        list.remove_prefix(comma + 1);
    }
}

}  // namespace

CommandRecognizer::CommandRecognizer(std::vector<CommandSyntax> syntax)
    : syntax_(std::move(syntax)) {}

void CommandRecognizer::feed(std::string_view bytes) {
    buffer_.append(bytes);
}

std::string CommandRecognizer::takeGarbage() {
    return std::exchange(garbage_, {});
}

void CommandRecognizer::consume(std::size_t count) {
    start_ += count;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > 4096) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
}

bool CommandRecognizer::canBeginCommand(std::string_view bytes) const {
    if (bytes.empty() || bytes.front() == '\r') {
        return true;
    }
    return std::any_of(syntax_.begin(), syntax_.end(), [&](const CommandSyntax& s) {
        const std::size_t n = std::min(bytes.size(), s.name.size());
        return bytes.substr(0, n) == std::string_view(s.name).substr(0, n);
    });
}

std::optional<RecognizedCommand> CommandRecognizer::next() {
    while (start_ < buffer_.size()) {
        const std::string_view bytes = std::string_view(buffer_).substr(start_);
        if (bytes.front() == '\r' && afterCommand_) {
            consume(1);
            afterCommand_ = false;
            RecognizedCommand late;
            late.raw = "\r";
            late.lateCarriageReturn = true;
            return late;
        }
        bool needMore = false;
        for (std::size_t index = 0; index < syntax_.size(); ++index) {
            Attempt attempt = tryAt(index, bytes);
            if (attempt.match == Match::NeedMore) {
                needMore = true;
            }
            if (attempt.match != Match::Complete) {
                continue;
            }
            std::size_t length = attempt.length;
            afterCommand_ = true;
            if (length < bytes.size() && bytes[length] == '\r') {
                ++length;
                afterCommand_ = false;
            }
            attempt.command.raw.assign(bytes.substr(0, length));
            if (syntax_[index].form == ArgumentForm::EepromWrite && !attempt.command.hasText &&
                attempt.command.wellFormed && attempt.command.numbers.size() == 2) {
                announcedBase_ = attempt.command.numbers[0];
                announcedLength_ = attempt.command.numbers[1];
            }
            consume(length);
            return std::move(attempt.command);
        }
        if (needMore) {
            return std::nullopt;
        }
        garbage_.push_back(bytes.front());
        afterCommand_ = false;
        consume(1);
    }
    return std::nullopt;
}

CommandRecognizer::Attempt CommandRecognizer::tryAt(std::size_t index,
                                                    std::string_view bytes) const {
    const std::string& name = syntax_[index].name;
    const std::size_t common = std::min(bytes.size(), name.size());
    if (bytes.substr(0, common) != std::string_view(name).substr(0, common)) {
        return {};
    }
    if (bytes.size() < name.size()) {
        return {Match::NeedMore, {}, 0};
    }
    switch (syntax_[index].form) {
        case ArgumentForm::None: {
            Attempt done{Match::Complete, {}, name.size()};
            done.command.syntax = index;
            return done;
        }
        case ArgumentForm::Numbers:
            return tryNumbers(index, bytes, name.size());
        case ArgumentForm::QuotedText:
            return tryQuoted(index, bytes);
        case ArgumentForm::EepromWrite:
            return tryEepromWrite(index, bytes);
    }
    return {};
}

// `open` is where the opening parenthesis must stand.
CommandRecognizer::Attempt CommandRecognizer::tryNumbers(std::size_t index, std::string_view bytes,
                                                         std::size_t open) const {
    if (bytes.size() <= open) {
        return {Match::NeedMore, {}, 0};
    }
    if (bytes[open] != '(') {
        return {};
    }
    for (std::size_t at = open + 1; at < bytes.size(); ++at) {
        if (bytes[at] == ')') {
            Attempt done{Match::Complete, {}, at + 1};
            done.command.syntax = index;
            done.command.wellFormed =
                parseNumbers(bytes.substr(open + 1, at - open - 1), &done.command.numbers);
            return done;
        }
        if (!isNumberCharacter(bytes[at]) || at - open > kMaxNumberArguments) {
            return {};
        }
    }
    return {Match::NeedMore, {}, 0};
}

CommandRecognizer::Attempt CommandRecognizer::tryQuoted(std::size_t index,
                                                        std::string_view bytes) const {
    const std::size_t open = syntax_[index].name.size();
    if (bytes.size() < open + 2) {
        return {Match::NeedMore, {}, 0};
    }
    if (bytes[open] != '(' || bytes[open + 1] != '"') {
        return {};
    }
    const std::size_t textStart = open + 2;
    const std::size_t close = bytes.find("\")", textStart);
    if (close == std::string_view::npos) {
        if (bytes.size() - textStart > kMaxQuotedText) {
            return {};
        }
        return {Match::NeedMore, {}, 0};
    }
    Attempt done{Match::Complete, {}, close + 2};
    done.command.syntax = index;
    done.command.text.assign(bytes.substr(textStart, close - textStart));
    done.command.hasText = true;
    return done;
}

CommandRecognizer::Attempt CommandRecognizer::tryEepromWrite(std::size_t index,
                                                             std::string_view bytes) const {
    const std::size_t open = syntax_[index].name.size();
    if (bytes.size() <= open) {
        return {Match::NeedMore, {}, 0};
    }
    if (bytes[open] != '(') {
        return {};
    }
    // The address, then either a length (numbers) or a quoted chunk.
    std::size_t at = open + 1;
    while (at < bytes.size() && bytes[at] != ',') {
        if (!isNumberCharacter(bytes[at]) || at - open > kMaxNumberArguments) {
            return {};
        }
        ++at;
    }
    if (at + 1 >= bytes.size()) {
        return {Match::NeedMore, {}, 0};
    }
    std::size_t afterComma = at + 1;
    while (afterComma < bytes.size() && isBlank(bytes[afterComma])) {
        ++afterComma;
    }
    if (afterComma >= bytes.size()) {
        return {Match::NeedMore, {}, 0};
    }
    if (bytes[afterComma] != '"') {
        return tryNumbers(index, bytes, open);
    }
    return tryEepromChunk(index, bytes, bytes.substr(open + 1, at - open - 1), afterComma + 1);
}

CommandRecognizer::Attempt CommandRecognizer::tryEepromChunk(std::size_t index,
                                                             std::string_view bytes,
                                                             std::string_view addressText,
                                                             std::size_t textStart) const {
    std::vector<std::int64_t> address;
    const bool addressOk = parseNumbers(addressText, &address) && address.size() == 1;
    const auto complete = [&](std::size_t textLength) {
        Attempt done{Match::Complete, {}, textStart + textLength + 2};
        done.command.syntax = index;
        done.command.numbers = address;
        done.command.wellFormed = addressOk;
        done.command.text.assign(bytes.substr(textStart, textLength));
        done.command.hasText = true;
        return done;
    };
    if (addressOk && announcedBase_) {
        const std::int64_t offset = address[0] - (*announcedBase_ + 2);
        if (offset >= 0 && offset < announcedLength_) {
            const auto expected = static_cast<std::size_t>(
                std::min<std::int64_t>(eeprom::kWriteChunk, announcedLength_ - offset));
            if (bytes.size() < textStart + expected + 2) {
                return {Match::NeedMore, {}, 0};
            }
            if (bytes.substr(textStart + expected, 2) == "\")") {
                return complete(expected);
            }
        }
    }
    // No announced length for this address (or the chunk does not fit it):
    // the chunk ends at the last `")` that is followed by nothing or by the
    // beginning of another command.
    for (std::size_t close = bytes.rfind("\")");
         close != std::string_view::npos && close >= textStart;
         close = close == 0 ? std::string_view::npos : bytes.rfind("\")", close - 1)) {
        if (canBeginCommand(bytes.substr(close + 2))) {
            return complete(close - textStart);
        }
    }
    if (bytes.size() - textStart > kMaxChunkText) {
        return {};
    }
    return {Match::NeedMore, {}, 0};
}

}  // namespace kyrvana::sim
