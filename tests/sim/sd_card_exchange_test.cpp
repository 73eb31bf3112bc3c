// The SD card over the port: listing, chunked reads and deletion.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/common/c_locale_text.h"
#include "sim_test_helpers.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;

using SdCardExchange = SimulatorPortTest;

std::string everyByteValue(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    return bytes;
}

TEST_F(SdCardExchange, ListsFoldersAndFilesWithSizesEndedBy0x17) {
    device_.putFile("DATA/RUN_0001.CSV", std::string(1234, 'x'));
    device_.putFile("SYSTEM~1/WPSETT~1.DAT", "12345678");
    device_.putFile("TEST.INI", "[Test]\n");
    ASSERT_TRUE(port().send("ListFilesOnSDCard"));
    EXPECT_EQ(port().readUntil('\x17'),
              "0 DIR /DATA\r\n"
              "1234 /DATA/RUN_0001.CSV\r\n"
              "0 DIR /SYSTEM~1\r\n"
              "8 /SYSTEM~1/WPSETT~1.DAT\r\n"
              "7 /TEST.INI\r\n"
              "\x17");
}

TEST_F(SdCardExchange, ReadsAFileIn1024ByteChunksByItsBareName) {
    const std::string content = everyByteValue(2500);
    device_.putFile("DATA/RUN_0002.CSV", content);
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"RUN_0002.CSV\")"), "2500\r");
    std::string received;
    for (std::size_t chunk : {1024u, 1024u, 452u}) {
        ASSERT_TRUE(port().send("ReadFileOnSDCardNext"));
        const std::string piece = port().readExact(chunk);
        EXPECT_EQ(piece.size(), chunk);
        received += piece;
    }
    EXPECT_EQ(received, content);
    // Read to its end: a further request gets no answer at all.
    ASSERT_TRUE(port().send("ReadFileOnSDCardNext"));
    EXPECT_EQ(port().readQuiet(50ms), "");
}

TEST_F(SdCardExchange, MissingOrEscapingNamesAnswerMinusOne) {
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"NONE.CSV\")"), "-1\r");
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"../etc/passwd\")"), "-1\r");
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"\")"), "-1\r");
}

TEST_F(SdCardExchange, DeletesAFileAndAnswersErrorForAMissingOne) {
    device_.putFile("DATA/OLD_0001.CSV", "1,2,3\n");
    EXPECT_EQ(port().ask("DeleteFileFromSDCard(\"OLD_0001.CSV\")"), "OK\r");
    EXPECT_FALSE(std::filesystem::exists(device_.sdCard() / "DATA/OLD_0001.CSV"));
    EXPECT_EQ(port().ask("DeleteFileFromSDCard(\"OLD_0001.CSV\")"), "ERROR\r");
    ASSERT_TRUE(port().send("ListFilesOnSDCard"));
    EXPECT_EQ(port().readUntil('\x17'), "0 DIR /DATA\r\n\x17");
}

TEST_F(SdCardExchange, ProgrammingRebuildsTheTestDescription) {
    device_.sim().writeEepromItem(eeprom::kSequenceText, "RepeatAll,1\nName,...\n");
    EXPECT_EQ(port().ask("UpdateFromSDIni(2,0)"), "OK\r");
    const auto ini = device_.sdCard() / "TEST.INI";
    ASSERT_TRUE(std::filesystem::exists(ini));
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"TEST.INI\")"),
              cFormat("%llu\r", static_cast<unsigned long long>(std::filesystem::file_size(ini))));
}

}  // namespace
}  // namespace kyrvana::sim_tests
