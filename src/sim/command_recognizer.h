#pragma once

// Cuts the byte stream from the program into commands. Commands have no
// terminator on the wire, so a command ends where the bytes received form a
// complete command of the device's command set:
//   - a bare name (Homing, GetMotorsState ...) ends with its last letter;
//   - numeric arguments end at the closing parenthesis;
//   - a quoted argument (a file name) ends at the closing quote and parenthesis;
//   - an EEPROM text chunk, SetEepromData(address,"text"), may itself hold line
//     feeds, quotes and parentheses. Its length is known from the item's length
//     announced just before by SetEepromData(base,length): the chunk at address
//     A holds min(200, length - (A - base - 2)) bytes. Without an announcement
//     the chunk ends at the last `")` received;
//   - a carriage return right behind a command belongs to it
//     ("QueryInternalValue(1)\r").
// Packed commands are named by the byte 0x1C and a letter and take numeric
// arguments. Bytes that cannot begin any command are dropped as garbage.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kyrvana::sim {

enum class ArgumentForm {
    None,         // Homing
    Numbers,      // QueryRev(2), GetEepromData(10, 2), 0x1C w(49,1)
    QuotedText,   // ReadFileOnSDCardFirst("T_0001.CSV")
    EepromWrite,  // SetEepromData(1792,57) or SetEepromData(1794,"text")
};

struct CommandSyntax {
    std::string name;
    ArgumentForm form = ArgumentForm::None;
};

struct RecognizedCommand {
    std::size_t syntax = 0;  // index into the recognizer's syntax list
    std::string raw;         // the bytes as received, a trailing CR included
    std::vector<std::int64_t> numbers;
    std::string text;  // the quoted argument
    bool hasText = false;
    bool wellFormed = true;  // false: the arguments are not numbers
    // Only a carriage return that came after its command had been taken:
    // it belongs to the previous command and is not a command of its own.
    bool lateCarriageReturn = false;
};

class CommandRecognizer {
  public:
    explicit CommandRecognizer(std::vector<CommandSyntax> syntax);

    void feed(std::string_view bytes);
    // The next complete command, or nothing while more bytes are needed.
    std::optional<RecognizedCommand> next();
    // Garbage dropped since the last call.
    std::string takeGarbage();

  private:
    enum class Match { Complete, NeedMore, Failed };
    struct Attempt {
        Match match = Match::Failed;
        RecognizedCommand command;
        std::size_t length = 0;
    };
    Attempt tryAt(std::size_t index, std::string_view bytes) const;
    Attempt tryNumbers(std::size_t index, std::string_view bytes, std::size_t open) const;
    Attempt tryQuoted(std::size_t index, std::string_view bytes) const;
    Attempt tryEepromWrite(std::size_t index, std::string_view bytes) const;
    // The quoted chunk of an EEPROM write whose text begins at textStart.
    Attempt tryEepromChunk(std::size_t index, std::string_view bytes, std::string_view addressText,
                           std::size_t textStart) const;
    bool canBeginCommand(std::string_view bytes) const;
    void consume(std::size_t count);

    std::vector<CommandSyntax> syntax_;
    std::string buffer_;
    std::size_t start_ = 0;
    std::string garbage_;
    bool afterCommand_ = false;
    // The last announced EEPROM item: SetEepromData(base,length).
    std::optional<std::int64_t> announcedBase_;
    std::int64_t announcedLength_ = 0;
};

}  // namespace kyrvana::sim
