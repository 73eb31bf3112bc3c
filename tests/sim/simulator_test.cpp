// The simulator over a real pseudo-terminal: the answer forms the program's
// reader depends on, the faults a test switches on and the data file a test
// run leaves on the SD card. The motors, the load cells, the EEPROM item
// transfer and reading files in pieces are exercised by the round trips of
// the integration tests over the program's own link.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "sim_test_helpers.h"
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using Kind = sim::SimulatorFault::Kind;

using Simulator = SimulatorPortTest;

struct Exchange {
    std::string command;
    std::string answer;  // exact bytes; nothing may follow them
};

TEST_F(Simulator, AnswersEachCommandInItsFormExactly) {
    device_.putFile("DATA/RUN_0001.CSV", std::string(1234, 'x'));
    device_.putFile("TEST.INI", "[Test]\n");
    const std::vector<Exchange> exchanges = {
        {"QueryRev(2)", "Firmware REV 4.60\r"},
        // A carriage return after a command is part of it, not a second one.
        {"QueryInternalValue(1)\r", "0\r"},
        {"QueryUmPerUstep(3)", "0.156250\r"},
        // EEPROM reads are binary: a length word, then the bytes, no CR.
        {"GetEepromData(4096, 6)",
         "\x04\x00"
         "0001"s},
        {"GetEepromData(8190, 4)", "\xFF\xFF\xFF\xFF"},  // past the end: erased cells
        {"GetEepromControlSettingsData(0, 3)", "\x07\x00\x00\x00"s},
        {"SetEepromControlSettingsData(2, 1, 70000)", "OK\r"},
        {"GetEepromControlSettingsData(2, 1)", "\x70\x11\x01\x00"s},
        {"Homing", "OK\r"},
        {"QueryRev(9)", "ERROR\r"},
        {"Positioning(6,8,0)", "ERROR\r"},
        {"QueryRev(1,)", "ERROR\r"},  // a number missing
        // Packed writes set internal values that read back either way.
        {"\x1Cw(49,5)", "OK\r"},
        {"QueryInternalValue(49)", "5\r"},
        {"\x1CO(4348)", "\x00\x00\x00\x00"s},
        {"ListFilesOnSDCard",
         "0 DIR /DATA\r\n1234 /DATA/RUN_0001.CSV\r\n7 /TEST.INI\r\n"
         "\x17"},
    };
    for (const Exchange& e : exchanges) {
        ASSERT_TRUE(port().send(e.command));
        EXPECT_EQ(port().readExact(e.answer.size()), e.answer) << e.command;
        EXPECT_EQ(port().readQuiet(20ms), "") << e.command;
    }
}

struct AnswerFault {
    sim::SimulatorFault fault;
    std::string expected;  // all bytes that arrive for "QueryRev(2)"
};

TEST_F(Simulator, FaultsReplaceOrSpoilTheAnswersOfMatchingCommands) {
    const std::vector<AnswerFault> cases = {
        {{Kind::NoAnswer, "QueryRev"}, ""},
        {{Kind::CutShort, "QueryRev(2)", 8}, "Firmware"},
        {{Kind::OverlongLine, "Query", 1500}, std::string(1500, 'A')},
        {{.kind = Kind::Replace, .commandPrefix = "QueryRev(2)", .text = "ERROR\r"}, "ERROR\r"},
    };
    for (const AnswerFault& c : cases) {
        sim().clearFaults();
        sim().addFault(c.fault);
        ASSERT_TRUE(port().send("QueryRev(2)"));
        EXPECT_EQ(port().readQuiet(100ms), c.expected) << c.fault.commandPrefix;
        // Other commands are answered as usual.
        EXPECT_EQ(port().ask("Homing"), "OK\r");
    }
    sim().clearFaults();
    sim().addFault({Kind::Garbage, "", 64});
    ASSERT_TRUE(port().send("QueryRev(2)"));
    EXPECT_EQ(port().readExact(64).size(), 64u);
}

TEST_F(Simulator, ASecondReaderTakesBytesMeantForTheProgram) {
    // Started while the test's port is open: a second reader alone on the
    // line could see it hung up and end.
    ASSERT_TRUE(sim().setSecondReader(true));
    // The two readers race for every answer: ask until one went astray.
    EXPECT_TRUE(test_support::waitUntil([&] {
        port().send("QueryRev(0)");
        port().readQuiet(20ms);
        return sim().bytesTakenBySecondReader() > 0;
    }));
    sim().setSecondReader(false);
    port().readQuiet(20ms);
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
}

TEST_F(Simulator, ATestRunWritesOneSampleLinePerDataPeriodAndNumbersTheNextTest) {
    std::filesystem::path written;
    std::string error;
    EXPECT_FALSE(sim().runTest(&written, &error));  // nothing programmed yet
    EXPECT_FALSE(error.empty());

    // 3 repetitions of a 2 s cycle at 10 Hz: 60 samples; well 2 disabled.
    sim().writeEepromItem(
        eeprom::kSequenceText,
        "RepeatAll,1\n"
        "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
        "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
        "TimeUnits\n"
        "Ramp,1000,0,1000,0,3,2000,2000,2000,2000,2000,2000,100,0,0,0,0,0,0,0,0,0,Seconds\n");
    sim().writeEepromItem(eeprom::kTestName, "My test");
    sim().setInternalValue(49, 0x02);
    ASSERT_TRUE(sim().runTest(&written, &error)) << error;
    EXPECT_EQ(written, device_.sdCard() / "DATA" / "MY_TEST_0001.CSV");
    EXPECT_EQ(sim().eepromItem(eeprom::kTestNumber), "0002");

    const std::string data = test_support::readFile(written);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 6 + 60);
    // Half-way through the load ramp: 1 mm, 0.8 N; well 2 records nothing.
    EXPECT_NE(data.find("\r\n0.500,Ramp,1,Load,1.0000,0.0000,1.0000,"), std::string::npos);
    EXPECT_NE(data.find("\r\n5.900,Ramp,3,Unload,"), std::string::npos);
    EXPECT_NE(data.find(",0.8000,0.0000,0.8000,"), std::string::npos);
}

}  // namespace
}  // namespace kyrvana::sim_tests
