// Faults a test can switch on, and the simulator's end of life: hang-up,
// stop, the EEPROM image.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "sim_test_helpers.h"
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;
using Kind = sim::SimulatorFault::Kind;

using SimulatorFaults = SimulatorPortTest;

struct AnswerFault {
    sim::SimulatorFault fault;
    std::string expected;  // all bytes that arrive for "QueryRev(2)"
};

TEST_F(SimulatorFaults, ReplaceOrSpoilTheAnswersOfMatchingCommands) {
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
    // Every command was recorded, answered or not.
    EXPECT_EQ(sim().receivedCommands().size(), 9u);
}

TEST_F(SimulatorFaults, SkipAndTimesPickTheCommandsHit) {
    sim().addFault({Kind::NoAnswer, "GetMotorsState", 0, 1, 1});
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
    ASSERT_TRUE(port().send("GetMotorsState"));
    EXPECT_EQ(port().readQuiet(100ms), "");
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
}

TEST_F(SimulatorFaults, AStallHoldsOneAnswerAndLaterCommandsQueueBehindIt) {
    sim::SimulatorFault stall{Kind::Stall, "GetMotorsState", 0, 1, 1};
    stall.stall = 300ms;
    sim().addFault(stall);
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(port().send("GetMotorsState"));
    ASSERT_TRUE(port().send("Homing"));
    // Nothing while the device is paused, then both answers in order.
    EXPECT_EQ(port().readQuiet(100ms), "");
    EXPECT_EQ(port().readUntil('\r'), "0\r");
    EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
    EXPECT_EQ(port().readUntil('\r'), "OK\r");
}

TEST_F(SimulatorFaults, ASecondReaderTakesBytesMeantForTheProgram) {
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

TEST_F(SimulatorFaults, LatencyDelaysEveryAnswer) {
    sim().setLatency(120ms);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(port().ask("GetMotorsState"), "0\r");
    EXPECT_GE(std::chrono::steady_clock::now() - started, 120ms);
}

TEST_F(SimulatorFaults, HangUpInTheMiddleOfATransferEndsTheLine) {
    device_.putFile("BIG.CSV", std::string(4096, 'd'));
    sim().addFault({Kind::HangUpAfter, "ReadFileOnSDCardNext", 100, 1});
    EXPECT_EQ(port().ask("ReadFileOnSDCardFirst(\"BIG.CSV\")"), "4096\r");
    ASSERT_TRUE(port().send("ReadFileOnSDCardNext"));
    EXPECT_EQ(port().readExact(1024).size(), 1024u);
    ASSERT_TRUE(port().send("ReadFileOnSDCardNext"));
    EXPECT_EQ(port().readExact(1024).size(), 100u);
    EXPECT_TRUE(port().hungUp());
}

TEST_F(SimulatorFaults, HangUpAtOnceEndsAWaitingReadAndStopStillWorks) {
    ASSERT_TRUE(port().send("QueryRev"));  // incomplete: no answer comes
    sim().hangUp();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(port().readUntil('\r', 5s), "");
    EXPECT_TRUE(port().hungUp());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    sim().stop();
    EXPECT_FALSE(sim().running());
}

TEST(SimulatorEepromImage, KeepsProgrammedStateAcrossARestart) {
    test_support::TemporaryFolder folder;
    sim::SimulatorOptions options;
    options.eepromImage = folder.path() / "eeprom.bin";
    {
        test_support::RunningSimulator first(options);
        ASSERT_TRUE(first.ok()) << first.error();
        first.sim().writeEepromItem(eeprom::kSequenceText, "RepeatAll,3\nName\n");
        RawPort port(first.portPath());
        EXPECT_EQ(port.ask("\x1Cw(49,6)"), "OK\r");  // saved after a command, too
    }
    ASSERT_EQ(std::filesystem::file_size(options.eepromImage), 8192u);
    test_support::RunningSimulator second(options);
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_EQ(second.sim().eepromItem(eeprom::kSequenceText), "RepeatAll,3\nName\n");
    EXPECT_EQ(second.sim().internalValue(49), 6);
    EXPECT_EQ(second.sim().eepromItem(eeprom::kTestName), "Test");
}

TEST(SimulatorEepromImage, RefusesAnImageOfTheWrongSize) {
    test_support::TemporaryFolder folder;
    sim::SimulatorOptions options;
    options.eepromImage = folder.path() / "eeprom.bin";
    std::ofstream(options.eepromImage) << "short";
    sim::SimulatedStimulator simulator(options);
    std::string error;
    EXPECT_FALSE(simulator.start(&error));
    EXPECT_NE(error.find("8192"), std::string::npos) << error;
}

}  // namespace
}  // namespace kyrvana::sim_tests
