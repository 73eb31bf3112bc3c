// The SD-card listing as the test-data dialog reads it: which lines become
// entries, their names and sizes, the size texts, and the names the program
// uses as local files or sends back to the device.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/sdcard/sd_file_listing.h"
#include "core/sdcard/sd_file_names.h"
#include "core/sdcard/storage_texts.h"

namespace kyrvana {
namespace {

// The firmware's own files are hidden by marks anywhere in the path; one
// row stands for each way a mark is found.
TEST(SdListingLine, KeepsOnlyTestDataFiles) {
    struct Case {
        const char* line;
        std::optional<SdFileEntry> entry;
    };
    for (const Case& c :
         {Case{"2500 /DATA/DEMO_0001.CSV", SdFileEntry{"DEMO_0001.CSV", 2500}},
          // The firmware ends its lines with CR LF.
          Case{"2500 /DATA/DEMO_0001.CSV\r", SdFileEntry{"DEMO_0001.CSV", 2500}},
          Case{"0 DIR /DATA", std::nullopt}, Case{"17 /MY DIR /X.CSV", std::nullopt},
          // "DIR" without its space is part of a name.
          Case{"17 /DIRTY/X.CSV", SdFileEntry{"X.CSV", 17}}, Case{"60 /TEST.INI", std::nullopt},

          Case{"8 /System/INDEX.DAT", std::nullopt},
          // Case-sensitive, as the firmware names them.
          Case{"60 /test.ini", SdFileEntry{"test.ini", 60}},
          // No "/": the whole line is the name; the size is what atoi reads.
          Case{"NOSIZE.CSV", SdFileEntry{"NOSIZE.CSV", 0}},
          Case{"42 PLAIN.CSV", SdFileEntry{"42 PLAIN.CSV", 42}},
          Case{"12abc /A.CSV", SdFileEntry{"A.CSV", 12}},
          Case{"4294967296 /DATA/BIG.CSV", SdFileEntry{"BIG.CSV", 4294967296LL}},
          Case{"7 /DATA/", SdFileEntry{"", 7}}}) {
        EXPECT_EQ(parseListingLine(c.line), c.entry) << c.line;
    }
}

// Whole kilobytes, rounded up; past 32 bits for weeks of recording at about
// 1 kB/s.
TEST(SdListing, SizeTexts) {
    using Case = std::pair<std::int64_t, const char*>;
    for (const auto& [bytes, text] : {Case{0, "0"}, Case{1000, "1"}, Case{1001, "2"}, Case{-5, "0"},
                                      Case{4294967296LL, "4294968"}}) {
        EXPECT_EQ(fileSizeText(bytes), text) << bytes;
    }
}

TEST(SdFileNames, OnlyPlainNamesAreUsedAsLocalFiles) {
    for (const char* good : {"DEMO_0001.CSV", "a b.csv", "...", "x..y", "\xE9t\xE9.csv"}) {
        EXPECT_TRUE(isPlainFileName(good)) << good;
    }
    for (const std::string& bad :
         {std::string(), std::string("."), std::string(".."), std::string("../X.CSV"),
          std::string("/etc/passwd"), std::string("DATA/X.CSV"), std::string("A\\B.CSV"),
          std::string("A\tB.CSV"), std::string("A\nB"), std::string("A\x7F"),
          std::string("A\0B", 3)}) {
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    }
}

TEST(SdFileNames, CommandTextsMustFitTheDeviceBuffers) {
    // "ReadFileOnSDCardFirst(\"\")" is 25 characters, "DeleteFileFromSDCard(\"\")" 24.
    EXPECT_TRUE(fitsDownloadCommand(std::string(486, 'A')));
    EXPECT_FALSE(fitsDownloadCommand(std::string(487, 'A')));
    EXPECT_TRUE(fitsDeleteCommand(std::string(39, 'A')));
    EXPECT_FALSE(fitsDeleteCommand(std::string(40, 'A')));
}

}  // namespace
}  // namespace kyrvana
