// The sequence text the stimulator stores: building it, and reading it back
// whatever the EEPROM holds.

#include "core/programming/sequence_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

DeviceSetRecord exampleRecord() {
    DeviceSetRecord record;
    record.name = "Set1";
    record.loadDurationMs = 1000;
    record.holdDurationMs = 500;
    record.unloadDurationMs = 1000;
    record.restDurationMs = 2000;
    record.repetitions = 10;
    record.magnitude.fill(500);
    record.dataPeriodMs = 100;
    record.waveform = 1;
    record.timeUnitsText = "Seconds";
    return record;
}

// One line per entry up to the first unused one: an entry behind it is not
// written.
TEST(SequenceTextTest, TheExampleSetGivesTheExampleLine) {
    DeviceSetTable table;
    table.entries[0] = exampleRecord();
    table.entries[2] = exampleRecord();
    EXPECT_EQ(buildSequenceText(table, 3),
              "RepeatAll,3\n" + std::string(kSequenceTextHeader) +
                  "Set1,1000,500,1000,2000,10,500,500,500,500,500,500,100,0,0,0,0,0,0,0,1,0,"
                  "Seconds\n");
}

TEST(SequenceTextTest, ATableReadsBackExactlyAsWritten) {
    DeviceSetTable table;
    DeviceSetRecord& entry = table.entries[0];
    entry = exampleRecord();
    entry.magnitude = {-201, 0, 2147483647, -2147483647 - 1, 23000, 1};
    entry.preload = {-5, 10, 0, 0, 0, 99};
    entry.loadDurationMs = 4294967295u;
    entry.controlMode = 1;
    entry.preloadType = 2;
    entry.timeUnitsText = "dSeconds";
    entry.dataPeriodMs = 1000000;
    table.entries[1] = exampleRecord();
    table.entries[1].name = "Second";

    DeviceSetTable read;
    std::int32_t repeats = 0;
    ASSERT_TRUE(parseSequenceLines(linesOf(buildSequenceText(table, 12)), read, repeats));
    EXPECT_EQ(repeats, 12);
    EXPECT_EQ(read.entries, table.entries);
}

TEST(SequenceTextTest, RepeatCountBelowOneReadsAsOne) {
    const std::string header(kSequenceTextHeader.substr(0, kSequenceTextHeader.size() - 1));
    for (const char* first : {"RepeatAll,0", "RepeatAll,-4", "RepeatAll", "RepeatAll,x"}) {
        DeviceSetTable table;
        std::int32_t repeats = 77;
        EXPECT_TRUE(parseSequenceLines({first, header, "S,1,1,1,1,1"}, table, repeats));
        EXPECT_EQ(repeats, 1) << first;
    }
}

TEST(SequenceTextTest, FewerThanThreeLinesChangeNothing) {
    DeviceSetTable table;
    table.entries[0] = exampleRecord();
    std::int32_t repeats = 5;
    EXPECT_FALSE(
        parseSequenceLines({"RepeatAll,9", std::string(kSequenceTextHeader)}, table, repeats));
    EXPECT_EQ(repeats, 5);
    EXPECT_EQ(table.entries[0], exampleRecord());
}

TEST(SequenceTextTest, LinesBeyondTheTenthEntryOrOutsideTheTableAreIgnored) {
    std::vector<std::string> lines = {"RepeatAll,1", "header"};
    for (int i = 0; i < 14; ++i) {
        lines.push_back(cFormat("S%d,1,0,1,0,3", i));
    }
    DeviceSetTable table;
    parseSequenceLine(10, "X,1,1,1,1,1", table);
    parseSequenceLine(-1, "X,1,1,1,1,1", table);
    EXPECT_EQ(table.usedCount(), 0);
    std::int32_t repeats = 0;
    EXPECT_TRUE(parseSequenceLines(lines, table, repeats));
    EXPECT_EQ(table.usedCount(), 10);
    EXPECT_EQ(table.entries[9].name, "S9");
}

TEST(SequenceTextTest, DamagedLinesReadWithoutOverrunningAnyField) {
    struct Case {
        const char* line;
        const char* name;
        std::uint32_t repetitions;
        std::int32_t magnitude1;
        std::uint8_t controlMode;
        const char* timeUnits;
    };
    for (const Case& c :
         {Case{"", "", 0, 0, 0, ""}, Case{"A|B", "A B", 0, 0, 0, ""},
          Case{"Name,1,2,3,4", "Name", 0, 0, 0, ""},
          Case{"N,1,2,3,4,5,-201abc,x", "N", 5, -201, 0, ""},
          Case{"N,,,,,  7,+12", "N", 7, 12, 0, ""},
          Case{"A name far longer than the device keeps,1,1,1,1,2,3,3,3,3,3,3,10,0,0,0,0,0,0,0,0,"
               "257,Millennia and more,extra,fields",
               "A name far long", 2, 3, 1, "Millennia"},
          Case{"\xff\xfe,1,1,1,1,99999999999999999999,-99999999999", "\xff\xfe", 4294967295u,
               -2147483647 - 1, 0, ""}}) {
        DeviceSetTable table;
        parseSequenceLine(0, c.line, table);
        EXPECT_EQ(table.entries[0].name, c.name) << c.line;
        EXPECT_EQ(table.entries[0].repetitions, c.repetitions) << c.line;
        EXPECT_EQ(table.entries[0].magnitude[0], c.magnitude1) << c.line;
        EXPECT_EQ(table.entries[0].controlMode, c.controlMode) << c.line;
        EXPECT_EQ(table.entries[0].timeUnitsText, c.timeUnits) << c.line;
    }
}

}  // namespace
}  // namespace kyrvana
