#include "sim/command_recognizer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sim/firmware.h"

namespace kyrvana::sim_tests {
namespace {

using sim::CommandRecognizer;
using sim::Firmware;

// Feeds `stream` in pieces of `piece` bytes (0: all at once) and returns the
// raw text of every command recognized, then the garbage as a last entry.
std::vector<std::string> recognize(const std::string& stream, std::size_t piece = 0) {
    CommandRecognizer recognizer(Firmware::syntax());
    std::vector<std::string> commands;
    std::string garbage;
    const std::size_t step = piece == 0 ? stream.size() : piece;
    for (std::size_t at = 0; at < stream.size(); at += step) {
        recognizer.feed(std::string_view(stream).substr(at, step));
        while (auto command = recognizer.next()) {
            if (command->lateCarriageReturn) {
                commands.back() += '\r';
            } else {
                commands.push_back(command->raw);
            }
        }
        garbage += recognizer.takeGarbage();
    }
    commands.push_back("garbage:" + garbage);
    return commands;
}

struct StreamCase {
    const char* what;
    std::string stream;
    std::vector<std::string> expected;  // commands, then "garbage:..."
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.what;
}

class RecognitionTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(RecognitionTest, SplitsTheStreamIntoCommandsWhateverTheReadSizes) {
    const StreamCase& c = GetParam();
    for (std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{7}}) {
        EXPECT_EQ(recognize(c.stream, piece), c.expected) << c.what << ", pieces of " << piece;
    }
}

const std::string kChunk = "a\"b)\n(\")x\"";  // 11 bytes with LF, quotes, `")`

INSTANTIATE_TEST_SUITE_P(
    Streams, RecognitionTest,
    ::testing::Values(StreamCase{"a carriage return belongs to the command before it",
                                 "QueryInternalValue(1)\rQueryInternalValue(6)",
                                 {"QueryInternalValue(1)\r", "QueryInternalValue(6)", "garbage:"}},
                      StreamCase{
                          "a chunk with line feeds, quotes and parentheses is taken whole",
                          "SetEepromData(1792,11)SetEepromData(1794,\"" + kChunk + "\")Homing",
                          {"SetEepromData(1792,11)", "SetEepromData(1794,\"" + kChunk + "\")",
                           "Homing", "garbage:"}},
                      StreamCase{"packed commands start with 0x1C and a letter",
                                 "\x1Cw(49,1)\x1CO(4348)\x1CZ(0,1,7,0)",
                                 {"\x1Cw(49,1)", "\x1CO(4348)", "\x1CZ(0,1,7,0)", "garbage:"}},
                      StreamCase{"bytes that cannot begin a command are dropped",
                                 "\n\x01zzHomingQueryRev(x)QueryRev(0)",
                                 {"Homing", "QueryRev(0)", "garbage:\n\x01zzQueryRev(x)"}}));

}  // namespace
}  // namespace kyrvana::sim_tests
