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

using ProgrammingSimTest = test::SimDocumentTest;

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

// The whole traffic of a programming, byte for byte and in its order, and a
// Read Device afterwards that gives back what the device keeps. How each
// field becomes text and back is the sequence text's own tests; here it is
// what reaches the device and what comes back from it.
TEST_F(ProgrammingSimTest, ProgramDeviceSendsEverythingInItsOrderAndReadDeviceGivesItBack) {
    Protocol sequence;
    SetRecord force;
    force.name = "Force set of week 3";
    force.mode[0] = ControlMode::Force;
    force.units[0] = UnitsCode::Millinewtons;
    force.function[0] = FunctionType::Sinusoid;
    force.magnitude = {-200.5, 1500.9, 1500.9, 1500.9, 1500.9, 1500.9};
    force.preloadMag.fill(50.0);
    force.preloadType[0] = PreloadType::EveryRepetition;
    force.stretchDurationMs = 60000;
    force.recoveryDurationMs = 60000;
    force.holdTimeMs = 500;
    force.restTimeMs = 2000;
    force.numReps = 3;
    force.timeUnits = TimeUnits::Minutes;
    force.dataFrequency = DataFrequency::None;
    sequence.append(force);

    test::prepareView(host_, sequence, "4", "Trial 7", true);
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 1, 0};
    wells.mask = 0x12;
    document_.setDisabledWells(wells);
    document_.update([](Protocol&, HardwareSettings& hardware, DisabledWells&) {
        hardware.ForceVelocityCode = 9;
    });
    sim().clearReceivedCommands();

    const ProgrammingReport report = ProgramDevice(document_);

    const std::string sequenceText =
        "RepeatAll,4\n"
        "Name,LoadDurMS,HoldDurMS,UnloadDurMS,RestDurMS,NumReps,Mag1,Mag2,Mag3,Mag4,Mag5,Mag6,"
        "DataFreq,Preload1,Preload2,Preload3,Preload4,Preload5,Preload6,PreloadType,Waveform,"
        "TimeUnits\n"
        "Force set of we,60000,500,60000,2000,3,-201,1500,1500,1500,1500,1500,0,50,50,50,50,50,50,"
        "2,4,1,Minutes\n";
    Commands expected = eepromTextCommands(eeprom::kTestName, "Trial 7");
    for (int well = 0; well < 6; ++well) {
        for (const auto& [index, value] : std::vector<std::pair<int, int>>{
                 {0, 1}, {1, 333}, {2, 4}, {3, 9}, {4, 100}, {5, 10}, {6, 3}}) {
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
    EXPECT_TRUE(report.ok()) << report.outcome.describe();
    EXPECT_EQ(host_.view().messagePane, "\r\nProgramming Device... Success\r\n");
    EXPECT_EQ(host_.busyCalls(), (std::vector<bool>{true, false}));

    // Forget everything, then read it back.
    document_.update([](Protocol& kept, HardwareSettings& hardware, DisabledWells& disabled) {
        kept.clear();
        hardware = HardwareSettings{};
        disabled = DisabledWells{};
    });
    test::prepareView(host_, Protocol{}, "1", "Trial 7", false);
    const ProgrammingReport read = ReadDevice(document_);
    EXPECT_TRUE(read.ok()) << read.outcome.describe();
    EXPECT_EQ(document_.sequence().sets, std::vector<SetRecord>{asTheDeviceKeepsIt(force)});
    EXPECT_EQ(document_.hardware().RepeatTestSequence, 4);
    EXPECT_EQ(document_.hardware().ForceVelocityCode, 9u);
    EXPECT_EQ(document_.disabledWells().mask, 0x12);
    EXPECT_EQ(document_.disabledWells().flags, wells.flags);
    const SequenceViewModel view = host_.view();
    EXPECT_TRUE(view.homingDisabled);
    EXPECT_EQ(view.repeatText, "4");
    EXPECT_EQ(view.workingSequence.sets, document_.sequence().sets);
    EXPECT_EQ(view.messagePane, "\r\nReading Device... Success\r\n");
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
        EXPECT_EQ(report.outcome.why(), DeviceFailure::Timeout);
        EXPECT_EQ(report.outcome.command(), "\x1CO(4348)");
    }
    // The sequence that was read is not half of a read-back.
    EXPECT_TRUE(document_.sequence().sets.empty());
}

// Nothing reaches the device for an empty sequence, nor for a device that
// was never identified on the open port.
TEST_F(ProgrammingSimTest, RefusedProgrammingSendsNothing) {
    test::prepareView(host_, Protocol{}, "1", "T", false);
    sim().clearReceivedCommands();
    EXPECT_EQ(ProgramDevice(document_).outcome.why(), DeviceFailure::Refused);

    document_.DisconnectDevice();
    ASSERT_EQ(document_.link().OpenPort(), SerialOk);  // open, but not connected
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    EXPECT_EQ(ProgramDevice(document_).outcome.why(), DeviceFailure::NoPort);
    EXPECT_EQ(ReadDevice(document_).outcome.why(), DeviceFailure::NoPort);
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Please Specify a Test Sequence Before Executing");
    EXPECT_EQ(boxes[2].text, kNotConnectedMessage);
    EXPECT_EQ(boxes[2].icon, BoxIcon::Error);
    EXPECT_TRUE(sim().receivedCommands().empty());
}

// Nothing is sent after the unanswered command, and the window's pane says,
// after its usual text, what the device now holds; a Read Device that meets
// the silence says the sequence was not read.
TEST_F(ProgrammingSimTest, ASilentAnswerStopsTheProgrammingAndSaysWhatTheDeviceHolds) {
    document_.link().serial.setReadTimeoutMs(200);
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    installDeviceProgramming(document_);
    sim().clearReceivedCommands();
    sim().addFault({Kind::NoAnswer, "SetEepromControlSettingsData(3, 1", 0});
    document_.programDevice(document_);
    const Commands sent = sim().receivedCommands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "SetEepromControlSettingsData(3, 1, 333)");
    EXPECT_EQ(host_.view().messagePane,
              "\r\nProgramming Device... Success\r\ntest name written, sequence partly "
              "written: program again\r\nthe device may not hold the sequence: 1 of " +
                  std::to_string(sent.size()) +
                  " programming commands failed\r\nno answer to "
                  "\"SetEepromControlSettingsData(3, 1, 333)\" within the read time-out\r\n");

    host_.withView([](SequenceViewModel& view) { view.clearMessages(); });
    sim().addFault({Kind::NoAnswer, "GetEepromData", 0});
    document_.readDevice(document_);
    EXPECT_EQ(host_.view().messagePane,
              "the sequence was not read: no answer to \"GetEepromData(1792, 2)\" within the "
              "read time-out\r\n");
}

TEST_F(ProgrammingSimTest, AnAnswerThatCameButWasUnusableDoesNotStopTheProgramming) {
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    // A 1500-byte line where an acknowledgement belongs: the link waits for
    // the line to fall quiet, then goes on to the end, every later answer
    // read in step.
    sim().addFault({Kind::OverlongLine, "SetEepromData(1994", 1500, 0, 1});
    const ProgrammingReport report = ProgramDevice(document_);
    EXPECT_EQ(sim().receivedCommands().back(), "\x1Cw(49,0)");
    EXPECT_EQ(report.exchanges.failures().size(), 1u);
    EXPECT_EQ(report.outcome.why(), DeviceFailure::Unusable);
    EXPECT_EQ(report.outcome.command().rfind("SetEepromData(1994,\"", 0), 0u);
    EXPECT_TRUE(report.deviceHolds.empty());
}

TEST_F(ProgrammingSimTest, AVanishedDeviceEndsTheProgrammingAtOnce) {
    // The full time-out a real device gets: every remaining exchange, and a
    // Read Device after it, must fail at once rather than wait for it.
    document_.link().serial.setReadTimeoutMs(20000);
    test::prepareView(host_, test::tenSetSequence(), "1", "T", false);
    sim().addFault({Kind::HangUpAfter, "SetEepromControlSettingsData(2, 0", 0});
    const auto started = std::chrono::steady_clock::now();
    const ProgrammingReport report = ProgramDevice(document_);
    const ProgrammingReport read = ReadDevice(document_);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(report.outcome.command(), "SetEepromControlSettingsData(2, 0, 1)");
    // Every command after it failed too, and is counted as such.
    EXPECT_EQ(static_cast<int>(report.exchanges.failures().size()),
              report.exchanges.sent() - 2 * 7 - 2);
    EXPECT_FALSE(read.sequenceRead);
}

}  // namespace
}  // namespace kyrvana
