// The SD card's commands as the simulator answers them: the listing, the
// names it refuses, deletion, and the test description that programming
// writes. Reading a file in pieces is checked over the program's own link in
// the integration tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/common/c_locale_text.h"
#include "sim_test_helpers.h"

namespace kyrvana::sim_tests {
namespace {

using SdCardExchange = SimulatorPortTest;

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

TEST_F(SdCardExchange, MissingOrEscapingNamesAreRefused) {
    device_.putFile("DATA/OLD_0001.CSV", "1,2,3\n");
    for (const char* name : {"NONE.CSV", "../etc/passwd", ""}) {
        EXPECT_EQ(port().ask(cFormat("ReadFileOnSDCardFirst(\"%s\")", name)), "-1\r") << name;
    }
    EXPECT_EQ(port().ask("DeleteFileFromSDCard(\"OLD_0001.CSV\")"), "OK\r");
    EXPECT_FALSE(std::filesystem::exists(device_.sdCard() / "DATA/OLD_0001.CSV"));
    EXPECT_EQ(port().ask("DeleteFileFromSDCard(\"OLD_0001.CSV\")"), "ERROR\r");
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
