// Program Device and Read Device against the simulated stimulator over a real
// pseudo-terminal: the traffic as the device received it, the read-back, and
// what happens when the device misbehaves or goes away.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/programming/device_programming.h"
#include "integration/programming_sim_support.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;
using Kind = sim::SimulatorFault::Kind;

class ProgrammingSimTest : public test::SimDocumentTest {
  protected:
    std::vector<std::string> programmedSetNames() {
        std::vector<std::string> names;
        for (const SetRecord& set : document_.sequence().sets) {
            names.push_back(set.name);
        }
        return names;
    }
};

// A set as the device gives it back: whole magnitudes and preloads, the name
// cut to 15 characters. The sequences here keep the unit that goes with the
// control mode and use only the first well's mode, function and preload
// type, which is all the device keeps of them.
SetRecord asTheDeviceKeepsIt(SetRecord kept) {
    kept.name.resize(std::min<std::size_t>(kept.name.size(), 15));
    for (std::size_t well = 0; well < kWellCount; ++well) {
        kept.magnitude[well] = std::floor(kept.magnitude[well]);
        kept.preloadMag[well] = std::floor(kept.preloadMag[well]);
    }
    return kept;
}

// How the firmware takes a counted text item: its length, then pieces of at
// most 200 characters.
Commands eepromTextCommands(int address, const std::string& text) {
    Commands commands = {cFormat("SetEepromData(%d,%zu)", address, text.size())};
    for (std::size_t offset = 0; offset < text.size(); offset += 200) {
        commands.push_back(cFormat("SetEepromData(%d,\"", address + 2 + static_cast<int>(offset)) +
                           text.substr(offset, 200) + "\")");
    }
    return commands;
}

TEST_F(ProgrammingSimTest, ProgramDeviceSendsEverythingInItsOrder) {
    Protocol sequence;
    SetRecord warmUp;
    warmUp.name = "Warm up";
    warmUp.magnitude.fill(500.9);
    warmUp.holdTimeMs = 500;
    warmUp.restTimeMs = 2000;
    warmUp.numReps = 10;
    warmUp.dataFrequency = DataFrequency::Hz10;
    sequence.append(warmUp);
    SetRecord force;
    force.name = "Force set";
    force.mode[0] = ControlMode::Force;
    force.units[0] = UnitsCode::Millinewtons;
    force.function[0] = FunctionType::Sinusoid;
    force.magnitude = {-200.5, 1500.9, 1500.9, 1500.9, 1500.9, 1500.9};
    force.preloadMag.fill(50.0);
    force.preloadType[0] = PreloadType::EveryRepetition;
    force.stretchDurationMs = 60000;
    force.recoveryDurationMs = 60000;
    force.numReps = 3;
    force.timeUnits = TimeUnits::Minutes;
    force.dataFrequency = DataFrequency::None;
    sequence.append(force);
    SetRecord quick;
    quick.name = "A very long set name";
    quick.magnitude.fill(300.0);  // 1.2 mm/s in a ramp: speed class 2
    quick.stretchDurationMs = 250;
    quick.recoveryDurationMs = 250;
    quick.timeUnits = TimeUnits::Milliseconds;
    quick.dataFrequency = DataFrequency::Hz0_001;
    sequence.append(quick);

    test::prepareView(host_, sequence, "4", "Trial 7", true);
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 1, 0};
    wells.mask = 0x12;
    document_.setDisabledWells(wells);
    sim().clearReceivedCommands();

    const ProgrammingReport report = ProgramDevice(document_);

    const std::string sequenceText =
        "RepeatAll,4\n"
        "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
        "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
        "TimeUnits\n"
        "Warm up,1000,500,1000,2000,10,500,500,500,500,500,500,100,0,0,0,0,0,0,0,0,0,Seconds\n"
        "Force set,60000,0,60000,0,3,-201,1500,1500,1500,1500,1500,0,50,50,50,50,50,50,2,4,1,"
        "Minutes\n"
        "A very long set,250,0,250,0,1,300,300,300,300,300,300,1000000,0,0,0,0,0,0,0,0,0,"
        "mSeconds\n";
    Commands expected = eepromTextCommands(eeprom::kTestName, "Trial 7");
    for (int well = 0; well < 6; ++well) {
        for (const auto& [index, value] : std::vector<std::pair<int, int>>{
                 {0, 1}, {1, 333}, {2, 4}, {3, 7}, {4, 100}, {5, 10}, {6, 2}}) {
            expected.push_back(
                cFormat("SetEepromControlSettingsData(%d, %d, %d)", well, index, value));
        }
    }
    expected.push_back("\x1Cw(48,1)");
    for (const std::string& command : eepromTextCommands(eeprom::kSequenceText, sequenceText)) {
        expected.push_back(command);
    }
    expected.push_back("UpdateFromSDIni(2,0)");
    expected.push_back("\x1Cw(49,18)");
    EXPECT_EQ(sim().receivedCommands(), expected);
    EXPECT_GT(sequenceText.size(), 400u);  // three pieces
    EXPECT_TRUE(report.ok()) << report.outcome.describe();
    EXPECT_EQ(report.exchanges.sent(), static_cast<int>(expected.size()));

    EXPECT_EQ(host_.view().messagePane, "\r\nProgramming Device... Success\r\n");
    EXPECT_EQ(host_.busyCalls(), (std::vector<bool>{true, false}));
    EXPECT_EQ(document_.hardware().RepeatTestSequence, 4);
    EXPECT_EQ(sim().eepromItem(eeprom::kSequenceText), sequenceText);
}

TEST_F(ProgrammingSimTest, ReadDeviceGivesBackWhatWasProgrammed) {
    const Protocol programmed = test::tenSetSequence();
    test::prepareView(host_, programmed, "3", "Long run", true);
    DisabledWells wells;
    wells.flags = {1, 0, 0, 0, 0, 1};
    wells.mask = 0x21;
    document_.setDisabledWells(wells);
    document_.update([](Protocol&, HardwareSettings& hardware, DisabledWells&) {
        hardware.ForceVelocityCode = 9;
    });
    ASSERT_TRUE(ProgramDevice(document_).ok());

    // Forget everything, then read it back.
    document_.update([](Protocol& sequence, HardwareSettings& hardware, DisabledWells& disabled) {
        sequence.clear();
        hardware = HardwareSettings{};
        disabled = DisabledWells{};
    });
    test::prepareView(host_, Protocol{}, "1", "Long run", false);
    const ProgrammingReport report = ReadDevice(document_);
    EXPECT_TRUE(report.ok()) << report.outcome.describe();
    EXPECT_TRUE(report.sequenceRead);

    const Protocol read = document_.sequence();
    std::vector<SetRecord> expected;
    for (const SetRecord& set : programmed.sets) {
        expected.push_back(asTheDeviceKeepsIt(set));
    }
    EXPECT_EQ(read.sets, expected);
    EXPECT_EQ(document_.hardware().RepeatTestSequence, 3);
    EXPECT_EQ(document_.hardware().ForceVelocityCode, 9u);
    EXPECT_EQ(document_.disabledWells().mask, 0x21);
    EXPECT_EQ(document_.disabledWells().flags, (std::array<std::uint8_t, 6>{1, 0, 0, 0, 0, 1}));
    const SequenceViewModel view = host_.view();
    EXPECT_TRUE(view.homingDisabled);
    EXPECT_EQ(view.repeatText, "3");
    EXPECT_EQ(view.workingSequence.sets, read.sets);
    EXPECT_EQ(view.messagePane, "\r\nReading Device... Success\r\n");
}

// Stored texts the device may hold without a sequence in them: every exchange
// was answered, but no sequence was read, so the document's sequence is
// emptied and its repeat count and velocity code stay as they were. What is
// read from a text with sets is the text reader's business, tested without a
// device.
TEST_F(ProgrammingSimTest, AStoredTextWithoutSetsChangesNothing) {
    const struct {
        const char* title;
        std::string item;
        bool rawLengthWord;  // `item` is only the length word itself
    } cases[] = {
        {"only the two head lines", "RepeatAll,8\nheader\n", false},
        {"a stored length over 4096", std::string("\x01\x10", 2), true},
        {"nothing stored", std::string("\x00\x00", 2), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        if (c.rawLengthWord) {
            sim().writeEepromBytes(eeprom::kSequenceText, c.item);
        } else {
            sim().writeEepromItem(eeprom::kSequenceText, c.item);
        }
        document_.update([](Protocol& sequence, HardwareSettings& hardware, DisabledWells&) {
            sequence.clear();
            sequence.append(SetRecord{});
            hardware.RepeatTestSequence = 5;
            hardware.ForceVelocityCode = 2;
        });
        const ProgrammingReport report = ReadDevice(document_);
        EXPECT_FALSE(report.sequenceRead);
        EXPECT_FALSE(report.ok());
        EXPECT_TRUE(report.exchanges.ok());
        EXPECT_TRUE(programmedSetNames().empty());
        EXPECT_EQ(document_.hardware().RepeatTestSequence, 5);
        EXPECT_EQ(document_.hardware().ForceVelocityCode, 2u);
        EXPECT_EQ(host_.view().repeatText, "5");
        EXPECT_EQ(host_.view().messagePane, "\r\nReading Device... Success\r\n");
        host_.withView([](SequenceViewModel& view) { view.clearMessages(); });
    }
}

TEST_F(ProgrammingSimTest, AReadThatGoesUnansweredChangesNothing) {
    sim().writeEepromItem(eeprom::kSequenceText,
                          "RepeatAll,1\nheader\n"
                          "S,1000,0,1000,0,1,10,10,10,10,10,10,100,0,0,0,0,0,"
                          "0,0,0,0,Seconds\n");
    document_.link().serial.setReadTimeoutMs(200);
    sim().addFault({Kind::NoAnswer, "\x1CO", 0});
    for (const bool shown : {true, false}) {
        host_.withView([&](SequenceViewModel& view) { view.homingDisabled = shown; });
        const ProgrammingReport report = ReadDevice(document_);
        EXPECT_EQ(host_.view().homingDisabled, shown);
        EXPECT_TRUE(report.sequenceRead);
        EXPECT_EQ(report.outcome.why(), DeviceFailure::Timeout);
        EXPECT_EQ(report.outcome.command(), "\x1CO(4348)");
    }
    // The sequence that was read is not half of a read-back.
    EXPECT_TRUE(programmedSetNames().empty());
}

TEST_F(ProgrammingSimTest, NothingIsSentForARefusedSequence) {
    test::prepareView(host_, Protocol{}, "1", "T", false);
    sim().clearReceivedCommands();
    EXPECT_EQ(ProgramDevice(document_).outcome.why(), DeviceFailure::Refused);
    ASSERT_EQ(host_.boxes().size(), 1u);
    EXPECT_EQ(host_.boxes()[0].text, "Please Specify a Test Sequence Before Executing");
    EXPECT_TRUE(sim().receivedCommands().empty());
}

TEST_F(ProgrammingSimTest, AnOpenPortWithoutAnIdentifiedDeviceIsRefused) {
    document_.DisconnectDevice();
    ASSERT_EQ(document_.link().OpenPort(), SerialOk);  // open, but not connected
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    sim().clearReceivedCommands();
    EXPECT_EQ(ProgramDevice(document_).outcome.why(), DeviceFailure::NoPort);
    EXPECT_EQ(ReadDevice(document_).outcome.why(), DeviceFailure::NoPort);
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, kNotConnectedMessage);
        EXPECT_EQ(box.icon, BoxIcon::Error);
    }
    EXPECT_TRUE(sim().receivedCommands().empty());

    // With the port closed the commands do nothing at all.
    document_.DisconnectDevice();
    EXPECT_FALSE(ProgramDevice(document_).ok());
    EXPECT_FALSE(ReadDevice(document_).ok());
    EXPECT_EQ(host_.boxes().size(), 2u);
}

TEST_F(ProgrammingSimTest, ASilentAnswerStopsTheProgrammingAndSaysWhatTheDeviceHolds) {
    document_.link().serial.setReadTimeoutMs(200);
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    sim().clearReceivedCommands();
    ASSERT_TRUE(ProgramDevice(document_).ok());
    const Commands normal = sim().receivedCommands();

    sim().clearReceivedCommands();
    sim().addFault({Kind::NoAnswer, "SetEepromControlSettingsData(3, 1", 0});
    host_.withView([](SequenceViewModel& view) { view.clearMessages(); });
    const ProgrammingReport report = ProgramDevice(document_);
    // Nothing after the unanswered command, and a single time-out.
    const Commands sent = sim().receivedCommands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "SetEepromControlSettingsData(3, 1, 333)");
    EXPECT_EQ(sent, Commands(normal.begin(), normal.begin() + static_cast<long>(sent.size())));
    const std::string log = host_.logText();
    const char* const timedOut = "\nReadFile Timed Out Waiting for Response\n";
    EXPECT_NE(log.find(timedOut), std::string::npos);
    EXPECT_EQ(log.find(timedOut), log.rfind(timedOut));
    EXPECT_EQ(report.exchanges.sent(), static_cast<int>(sent.size()));
    ASSERT_EQ(report.exchanges.failures().size(), 1u);
    EXPECT_EQ(report.outcome.command(), "SetEepromControlSettingsData(3, 1, 333)");
    EXPECT_EQ(report.outcome.why(), DeviceFailure::Timeout);
    EXPECT_EQ(report.deviceHolds, "test name written, sequence partly written: program again");

    // The window's pane says so after its usual text, and a Read Device that
    // meets the silence says the sequence was not read.
    installDeviceProgramming(document_);
    host_.withView([](SequenceViewModel& view) { view.clearMessages(); });
    document_.programDevice(document_);
    EXPECT_EQ(host_.view().messagePane,
              "\r\nProgramming Device... Success\r\ntest name written, sequence partly "
              "written: program again\r\nthe device may not hold the sequence: 1 of " +
                  std::to_string(sent.size()) +
                  " programming commands failed\r\nno answer to "
                  "\"SetEepromControlSettingsData(3, 1, 333)\" within the read time-out\r\n");
    sim().addFault({Kind::NoAnswer, "GetEepromData", 0});
    document_.readDevice(document_);
    EXPECT_EQ(host_.view().messagePane,
              "the sequence was not read: no answer to \"GetEepromData(1792, 2)\" within the "
              "read time-out\r\n");
}

TEST_F(ProgrammingSimTest, AnAnswerThatCameButWasUnusableDoesNotStopTheProgramming) {
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    sim().clearReceivedCommands();
    ASSERT_TRUE(ProgramDevice(document_).ok());
    const Commands normal = sim().receivedCommands();

    // A 1500-byte line where an acknowledgement belongs: the link waits for
    // the line to fall quiet, then goes on with the next command.
    sim().clearReceivedCommands();
    sim().addFault({Kind::OverlongLine, "SetEepromData(1994", 1500, 0, 1});
    const ProgrammingReport report = ProgramDevice(document_);
    EXPECT_EQ(sim().receivedCommands(), normal);
    EXPECT_EQ(sim().receivedGarbage(), "");
    EXPECT_EQ(report.outcome.why(), DeviceFailure::Unusable);
    EXPECT_EQ(report.outcome.command().rfind("SetEepromData(1994,\"", 0), 0u);
    EXPECT_TRUE(report.deviceHolds.empty());
}

TEST_F(ProgrammingSimTest, AVanishedDeviceEndsTheProgrammingAtOnce) {
    // The full time-out a real device gets: every remaining exchange must
    // fail at once rather than wait for it.
    document_.link().serial.setReadTimeoutMs(20000);
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    sim().addFault({Kind::HangUpAfter, "SetEepromControlSettingsData(2, 0", 0});
    const auto started = std::chrono::steady_clock::now();
    const ProgrammingReport report = ProgramDevice(document_);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_NE(host_.view().messagePane.find("Programming Device... Success"), std::string::npos);
    EXPECT_EQ(report.outcome.command(), "SetEepromControlSettingsData(2, 0, 1)");
    // Every command after it failed too, and is counted as such.
    EXPECT_EQ(static_cast<int>(report.exchanges.failures().size()),
              report.exchanges.sent() - 2 * 7 - 2);

    // Reading from the gone device ends as quickly, and the program works
    // again with the next device.
    const auto readStarted = std::chrono::steady_clock::now();
    const ProgrammingReport read = ReadDevice(document_);
    EXPECT_LT(std::chrono::steady_clock::now() - readStarted, 5s);
    EXPECT_FALSE(read.sequenceRead);
    EXPECT_FALSE(read.ok());
    document_.DisconnectDevice();
    test_support::RunningSimulator next;
    test::connectTo(document_, next);
    // The failed read left an empty sequence; the user composes a new one.
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    EXPECT_TRUE(ProgramDevice(document_).ok());
    EXPECT_EQ(next.sim().eepromItem(eeprom::kSequenceText).substr(0, 12), "RepeatAll,1\n");
}

}  // namespace
}  // namespace kyrvana
