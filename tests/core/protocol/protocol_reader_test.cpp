#include "core/protocol/protocol_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

// A document that already holds something, to see what a read replaces.
struct Document {
    Document() {
        SetRecord old;
        old.name = "Old";
        protocol.append(old);
        hardware.FirmwareVersion = 41;
        hardware.RepeatTestSequence = 9;
        hardware.ForceVelocityCode = 2;
    }
    ProtocolReadStatus read(std::string_view text) {
        return readProtocolText(text, protocol, hardware);
    }
    Protocol protocol;
    HardwareSettings hardware;
};

SetRecord defaultsWith(const char* name, ControlMode mode, std::int32_t reps) {
    SetRecord set;
    set.name = name;
    set.mode[0] = mode;
    set.numReps = reps;
    return set;
}

TEST(ProtocolReaderTest, RowsAreCountedInTokensNotLines) {
    for (const char* text : {"NAME\tXMODE\tNUMREPS\t\r\nTest[_]A\tforce\t5\t\r\nB\tdisp\t2\t\r\n",
                             "name xmode numreps\nTest[_]A force 5 B disp 2",
                             "NAME XMODE NUMREPS\nTest[_]A\nforce\n5\n\nB disp\n2\n"}) {
        Document document;
        EXPECT_EQ(document.read(text), ProtocolReadStatus::Complete) << text;
        ASSERT_EQ(document.protocol.setCount(), 2) << text;
        EXPECT_EQ(document.protocol.sets[0], defaultsWith("Test A", ControlMode::Force, 5));
        EXPECT_EQ(document.protocol.sets[1], defaultsWith("B", ControlMode::Displacement, 2));
        // Without a hardware block the document's values stay.
        EXPECT_EQ(document.hardware.FirmwareVersion, 41);
        EXPECT_EQ(document.hardware.RepeatTestSequence, 9);
    }
}

TEST(ProtocolReaderTest, UnknownColumnsAreSkippedAndLaterColumnsWin) {
    Document document;
    EXPECT_EQ(document.read("NAME Colour NUMREPS DATAFREQHZ DATAFREQMS XMODE XMODE\n"
                            "A red 3 10 250 force disp\n"
                            "B blue 4 None 100 bogus force\n"),
              ProtocolReadStatus::Complete);
    const std::vector<Instruction> columns{Instruction::Name,       Instruction::Unknown,
                                           Instruction::NumReps,    Instruction::DataFreqHz,
                                           Instruction::DataFreqMS, Instruction::XMode,
                                           Instruction::XMode};
    EXPECT_EQ(document.protocol.columns, columns);
    ASSERT_EQ(document.protocol.setCount(), 2);
    const SetRecord& a = document.protocol.sets[0];
    EXPECT_EQ(a.numReps, 3);
    EXPECT_EQ(a.dataFrequency, DataFrequency::None);
    EXPECT_EQ(a.dataPeriodMs, 250);
    EXPECT_EQ(a.mode[0], ControlMode::Displacement);
    const SetRecord& b = document.protocol.sets[1];
    EXPECT_EQ(b.dataFrequency, DataFrequency::Hz10);
    EXPECT_EQ(b.mode[0], ControlMode::Force);
}

TEST(ProtocolReaderTest, HardwareBlockIsTakenByPosition) {
    Document document;
    EXPECT_EQ(document.read("##HARDWARE\nAny Model\nFw -3\nVel 5\nRep 3\nName\tNumReps\t\n"),
              ProtocolReadStatus::Complete);
    EXPECT_EQ(document.protocol.setCount(), 0);
    EXPECT_EQ(document.hardware.FirmwareVersion, -3);
    EXPECT_EQ(document.hardware.ForceVelocityCode, 5u);
    EXPECT_EQ(document.hardware.RepeatTestSequence, 3);

    // Out-of-range values saturate; trailing characters of a value are ignored.
    EXPECT_EQ(document.read("##HARDWARE K P7 F 99999999999 V -4 R +12x\nNAME\n"),
              ProtocolReadStatus::Complete);
    EXPECT_EQ(document.hardware.FirmwareVersion, 2147483647);
    EXPECT_EQ(document.hardware.ForceVelocityCode, 0u);
    EXPECT_EQ(document.hardware.RepeatTestSequence, 12);
}

TEST(ProtocolReaderTest, RowCutShortByTheEndIsLeftOut) {
    Document document;
    EXPECT_EQ(document.read("NAME XMODE NUMREPS\nA force 5\nB disp"),
              ProtocolReadStatus::LastRowCutShort);
    ASSERT_EQ(document.protocol.setCount(), 1);
    EXPECT_EQ(document.protocol.sets[0].name, "A");
}

// A read that cannot go on to the end leaves the document as it was.
TEST(ProtocolReaderTest, DamagedFilesChangeNothing) {
    std::string longHeader = "NAME";
    while (longHeader.size() <= 4 + 2047) {
        longHeader += " NUMREPS";
    }
    longHeader += "\nA 1\n";
    std::string unknownKeywords = "NAME";
    for (int i = 0; i < 10000; ++i) {
        unknownKeywords += cFormat(" Keyword%d", i);
    }
    std::string manyRows = "NAME\n";
    for (int i = 0; i < 1001; ++i) {
        manyRows += "S\n";
    }
    for (const std::string& text :
         {std::string("##HARDWARE\nKyrvana P7\nFirmwareVersion x12\nForceVelocityCode 7\n"),
          std::string("##HARDWARE\nKyrvana P7\nFirmwareVersion 1\n"), longHeader, unknownKeywords,
          manyRows, "NAME\n" + std::string(10 * 1024 * 1024, 'x') + "\n",
          std::string(10 * 1024 * 1024, 'y')}) {
        Document document;
        const Document before;
        EXPECT_EQ(document.read(text), ProtocolReadStatus::Damaged) << text.substr(0, 60);
        EXPECT_EQ(document.protocol, before.protocol);
        EXPECT_EQ(document.hardware, before.hardware);
    }
}

// One row fewer than the damaged file above is a whole sequence.
TEST(ProtocolReaderTest, TheLargestSequenceStillReads) {
    std::string rows = "NAME\n";
    for (int i = 0; i < 1000; ++i) {
        rows += "S\n";
    }
    Document document;
    EXPECT_EQ(document.read(rows), ProtocolReadStatus::Complete);
    EXPECT_EQ(document.protocol.setCount(), 1000);
}

TEST(ProtocolReaderTest, BytesAreKeptAsTheyAre) {
    Document document;
    const std::string name("Z\xe9ro\0[_]\xff", 9);
    EXPECT_EQ(document.read("NAME NUMREPS\n" + name + " 4\n"), ProtocolReadStatus::Complete);
    ASSERT_EQ(document.protocol.setCount(), 1);
    EXPECT_EQ(document.protocol.sets[0].name, std::string("Z\xe9ro\0 \xff", 7));
}

TEST(ProtocolReaderTest, NumbersSaturateAndTruncate) {
    Document document;
    EXPECT_EQ(document.read("StretchDurationMSec HoldTimeMSec NumReps LoadAccel UnloadAccel "
                            "XMagnitude TolCorOver\n"
                            "1e30 -1999.9 -99999999999 -1 99999999999 1e999 0.5\n"),
              ProtocolReadStatus::Complete);
    ASSERT_EQ(document.protocol.setCount(), 1);
    const SetRecord& set = document.protocol.sets[0];
    EXPECT_EQ(set.stretchDurationMs, 2147483647);
    EXPECT_EQ(set.holdTimeMs, -1999);
    EXPECT_EQ(set.numReps, -2147483647 - 1);
    EXPECT_EQ(set.loadAccel, 0u);
    EXPECT_EQ(set.unloadAccel, 4294967295u);
    EXPECT_TRUE(std::isinf(set.magnitude[0]));
    EXPECT_FALSE(set.tolCorOver);  // read as an integer: 0
}

// The reader lists what it could not take, by line and word, and builds the
// same sequence as without the list.
TEST(ProtocolReaderTest, ReportsWordsItCouldNotTake) {
    struct Case {
        std::string text;
        std::string problems;
    };
    std::string manyBadRows = "NAME XMODE\n";
    for (int i = 0; i < 30; ++i) {
        manyBadRows += "S bad\n";
    }
    std::string first20;
    for (int line = 2; line < 22; ++line) {
        first20 += cFormat("line %d, XMode: unknown control mode \"bad\"\n", line);
    }
    const Case cases[] = {
        {"NAME XMODE XFUNCTION NUMREPS\nA disp Rmp 3\nB Disp Ramp five\n",
         "line 2, XFunction: unknown waveform \"Rmp\"\nline 3, NumReps: no number in \"five\"\n"},
        // Exact words and leading numbers as the C library reads them.
        {"XUNITS DATAFREQHZ DATATYPE IMAGEFREQHZ XMAGNITUDE NUMREPS STRETCHDURATIONMSEC\n"
         "um None Max 0.1 .5 12abc 1e3\n"
         "UM none all 2 abc - x\n",
         "line 3, XUnits: unknown unit \"UM\"\nline 3, DataFreqHz: unknown data frequency "
         "\"none\"\nline 3, DataType: unknown data type \"all\"\nline 3, ImageFreqHz: unknown "
         "image frequency \"2\"\nline 3, XMagnitude: no number in \"abc\"\nline 3, NumReps: "
         "no number in \"-\"\nline 3, StretchDurationMSec: no number in \"x\"\n"},
        // "nan" is read by the C library but is no value; it is stored as 0.
        {"XMAGNITUDE TOLERANCE STRETCHDURATIONMSEC\nnan -NAN(1) NaN\n",
         "line 2, XMagnitude: no number in \"nan\"\nline 2, Tolerance: no number in "
         "\"-NAN(1)\"\nline 2, StretchDurationMSec: no number in \"NaN\"\n"},
        // Control characters, quotes and bytes above ASCII are shown escaped.
        {std::string("NAME \x01\"x\\\xe9\n", 11),
         "line 1: unknown column \"\\x01\\x22x\\x5C\\xE9\"\n"},
        {manyBadRows, first20 + "... and 10 more\n"},
        // A word is shown up to 60 bytes; "..." says when there was more.
        {"NAME " + std::string(60, 'k') + " " + std::string(61, 'm') + "\n",
         "line 1: unknown column \"" + std::string(60, 'k') + "\"\nline 1: unknown column \"" +
             std::string(60, 'm') + "...\"\n"},
    };
    for (const Case& c : cases) {
        Document listed;
        ProtocolReadProblems problems;
        const ProtocolReadStatus status =
            readProtocolText(c.text, listed.protocol, listed.hardware, &problems);
        EXPECT_EQ(protocolReadProblemsText(problems), c.problems) << c.text;
        Document plain;
        EXPECT_EQ(plain.read(c.text), status);
        EXPECT_EQ(listed.protocol, plain.protocol) << c.text;
    }
}

TEST(ProtocolReaderTest, FileThatCannotBeOpenedChangesNothing) {
    Document document;
    const Document before;
    for (const char* path : {"/nonexistent/folder/file.tmt", "/"}) {
        EXPECT_EQ(readProtocolFile(path, document.protocol, document.hardware),
                  ProtocolReadStatus::CannotOpen);
        EXPECT_EQ(document.protocol, before.protocol);
        EXPECT_EQ(document.hardware, before.hardware);
    }
}

}  // namespace
}  // namespace kyrvana
