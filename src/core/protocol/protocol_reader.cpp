#include "core/protocol/protocol_reader.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <streambuf>
#include <system_error>

#include "core/common/c_locale_text.h"
#include "core/protocol/instruction_keywords.h"
#include "core/protocol/protocol_tokenizer.h"
#include "core/protocol/set_columns.h"

namespace kyrvana {
namespace {

// The reader's position: the tokenizer and the next unused token.
struct ReadCursor {
    explicit ReadCursor(std::istream& in) : tokens(in) {}

    // Moves to the next token; false at the end of the text or on failure.
    bool advance() {
        hasToken = tokens.next(current);
        return hasToken;
    }

    ProtocolTokenizer tokens;
    std::string current;
    bool hasToken = false;
};

// A hardware value: a decimal integer, optionally signed, at the start of its
// token; anything after the digits is ignored. Out-of-range values saturate.
bool readHardwareInteger(ReadCursor& cursor, long long lowest, long long highest,
                         long long& value) {
    if (!cursor.advance()) {
        return false;
    }
    const std::string& token = cursor.current;
    const std::size_t digits = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (digits >= token.size() || token[digits] < '0' || token[digits] > '9') {
        return false;
    }
    value = std::clamp(cAtoll(token), lowest, highest);
    return true;
}

// The block is taken by position: the words between the values are not
// checked, only skipped.
bool readHardwareBlock(ReadCursor& cursor, HardwareSettings& hardware) {
    constexpr long long kIntLowest = std::numeric_limits<std::int32_t>::lowest();
    constexpr long long kIntHighest = std::numeric_limits<std::int32_t>::max();
    constexpr long long kUnsignedHighest = std::numeric_limits<std::uint32_t>::max();
    long long firmware = 0;
    long long velocityCode = 0;
    long long repeats = 0;
    // Model line (two words), "FirmwareVersion", the value; "ForceVelocityCode",
    // the value; "RepeatTestSequence", the value.
    const bool read =
        cursor.advance() && cursor.advance() && cursor.advance() &&
        readHardwareInteger(cursor, kIntLowest, kIntHighest, firmware) && cursor.advance() &&
        readHardwareInteger(cursor, 0, kUnsignedHighest, velocityCode) && cursor.advance() &&
        readHardwareInteger(cursor, kIntLowest, kIntHighest, repeats);
    if (!read) {
        return false;
    }
    hardware.FirmwareVersion = static_cast<std::int32_t>(firmware);
    hardware.ForceVelocityCode = static_cast<std::uint32_t>(velocityCode);
    hardware.RepeatTestSequence = static_cast<std::int32_t>(repeats);
    cursor.advance();
    return !cursor.tokens.failed();
}

// The current token is the first keyword; the rest of its line holds the
// others. Unknown keywords keep their place as Unknown columns so that their
// values are skipped.
bool readHeader(ReadCursor& cursor, Protocol& protocol, ProtocolReadProblems& problems) {
    protocol.clear();
    const std::size_t headerLine = cursor.tokens.tokenLine();
    const auto addColumn = [&](std::string_view keyword) {
        const Instruction column = instructionFromKeyword(keyword);
        // The empty first "keyword" of an empty file names nothing at all.
        if (column == Instruction::Unknown && !keyword.empty()) {
            problems.add(headerLine, keyword, Instruction::Unknown);
        }
        protocol.columns.push_back(column);
    };
    addColumn(cursor.current);
    std::string rest;
    if (!cursor.tokens.restOfLine(rest, kMaxHeaderRestLength)) {
        return false;
    }
    std::size_t start = 0;
    while (start < rest.size()) {
        while (start < rest.size() && isProtocolBlank(rest[start])) {
            ++start;
        }
        std::size_t end = start;
        while (end < rest.size() && !isProtocolBlank(rest[end])) {
            ++end;
        }
        if (end > start) {
            addColumn(std::string_view(rest).substr(start, end - start));
        }
        start = end;
    }
    cursor.advance();
    return !cursor.tokens.failed();
}

enum class RowOutcome { Added, CutShort, Failed };

// One set: one token per column, whatever the line breaks. Later columns for
// the same field overwrite earlier ones. The values that are not values of
// their column count only for a row that is kept.
RowOutcome readSetRow(ReadCursor& cursor, Protocol& protocol, ProtocolReadProblems& problems) {
    SetRecord set;
    ProtocolReadProblems rowProblems;
    const std::size_t columnCount = protocol.columns.size();
    for (std::size_t column = 0; column < columnCount; ++column) {
        const Instruction code = protocol.columns[column];
        if (!applyColumnValue(set, code, cursor.current)) {
            rowProblems.add(cursor.tokens.tokenLine(), cursor.current, code);
        }
        if (!cursor.advance()) {
            if (cursor.tokens.failed()) {
                return RowOutcome::Failed;
            }
            if (column + 1 < columnCount) {
                // The file ends inside the row (a truncated copy, a hand edit
                // that lost a value). Guessing the missing values could put a
                // wrong set into a device, so the row is left out.
                return RowOutcome::CutShort;
            }
        }
    }
    if (protocol.sets.size() >= kMaxProtocolFileSets) {
        return RowOutcome::Failed;
    }
    protocol.sets.push_back(std::move(set));
    problems.append(rowProblems);
    return RowOutcome::Added;
}

// Reads a string without copying it.
class ViewBuffer : public std::streambuf {
  public:
    explicit ViewBuffer(std::string_view text) {
        // The get area is only read from; nothing writes through it.
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Everything is read into copies first and handed over only when the reading
// got to the end of the file: a file that turns out to be damaged halfway
// leaves the open sequence and its hardware values as they were, rather than
// a half-read sequence that could be programmed into a device by mistake.
ProtocolReadStatus readInto(std::istream& in, Protocol& protocol, HardwareSettings& hardware,
                            ProtocolReadProblems& problems) {
    ReadCursor cursor(in);
    HardwareSettings readHardware = hardware;
    Protocol readSequence;
    cursor.advance();
    if (cursor.tokens.failed()) {
        return ProtocolReadStatus::Damaged;
    }
    // The marker is compared byte for byte: "##hardware" is a (unknown) column.
    if (cursor.hasToken && cursor.current == "##HARDWARE" &&
        !readHardwareBlock(cursor, readHardware)) {
        return ProtocolReadStatus::Damaged;
    }
    // An empty file gives one unknown column and no sets: an empty sequence.
    if (!readHeader(cursor, readSequence, problems)) {
        return ProtocolReadStatus::Damaged;
    }
    ProtocolReadStatus status = ProtocolReadStatus::Complete;
    while (cursor.hasToken) {
        const RowOutcome outcome = readSetRow(cursor, readSequence, problems);
        if (outcome == RowOutcome::Failed) {
            return ProtocolReadStatus::Damaged;
        }
        if (outcome == RowOutcome::CutShort) {
            status = ProtocolReadStatus::LastRowCutShort;
        }
    }
    protocol = std::move(readSequence);
    hardware = readHardware;
    return status;
}

}  // namespace

ProtocolReadStatus readProtocol(std::istream& in, Protocol& protocol, HardwareSettings& hardware,
                                ProtocolReadProblems* problems) {
    ProtocolReadProblems found;
    const ProtocolReadStatus status = readInto(in, protocol, hardware, found);
    if (problems != nullptr) {
        *problems = std::move(found);
    }
    return status;
}

ProtocolReadStatus readProtocolText(std::string_view text, Protocol& protocol,
                                    HardwareSettings& hardware, ProtocolReadProblems* problems) {
    ViewBuffer buffer(text);
    std::istream in(&buffer);
    return readProtocol(in, protocol, hardware, problems);
}

ProtocolReadStatus readProtocolFile(const std::string& path, Protocol& protocol,
                                    HardwareSettings& hardware, ProtocolReadProblems* problems) {
    // A folder opens like a file on Linux but reads as empty, which would
    // clear the sequence.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return ProtocolReadStatus::CannotOpen;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return ProtocolReadStatus::CannotOpen;
    }
    return readProtocol(in, protocol, hardware, problems);
}

}  // namespace kyrvana
