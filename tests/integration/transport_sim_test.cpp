// The command transport end to end: DeviceLink over a real pseudo-terminal to
// the simulated stimulator, checking the traffic the simulator recorded.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/device/device_link.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;

const std::string kTimeoutText = "\nReadFile Timed Out Waiting for Response\n";

class TransportSimTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
        link_.portName = device_.portPath();
        ASSERT_EQ(link_.OpenPort(), SerialOk);
        link_.serial.setReadTimeoutMs(300);
    }

    sim::SimulatedStimulator& sim() { return device_.sim(); }

    test::LogCapture log_;
    test_support::RunningSimulator device_;
    DeviceLink link_;
};

TEST_F(TransportSimTest, EepromItemsRoundTripInChunksAtTheRightAddresses) {
    std::string text;
    for (int well = 0; text.size() < 600; ++well) {
        text += "111," + std::to_string(0.001 * well) + "," + std::to_string(well) + "\n";
    }
    text.resize(599);
    text += "\n";
    EXPECT_TRUE(link_.SetEepromData(eeprom::kSequenceText, text));
    EXPECT_EQ(sim().eepromItem(eeprom::kSequenceText), text);
    const Commands written = sim().receivedCommands();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[0], "SetEepromData(1792,600)");
    EXPECT_EQ(written[1], "SetEepromData(1794,\"" + text.substr(0, 200) + "\")");
    EXPECT_EQ(written[2], "SetEepromData(1994,\"" + text.substr(200, 200) + "\")");
    EXPECT_EQ(written[3], "SetEepromData(2194,\"" + text.substr(400) + "\")");

    sim().clearReceivedCommands();
    std::vector<std::string> lines;
    ASSERT_TRUE(link_.GetEepromData(eeprom::kSequenceText, lines));
    EXPECT_EQ(sim().receivedCommands(),
              (Commands{"GetEepromData(1792, 2)", "GetEepromData(1794, 256)",
                        "GetEepromData(2050, 256)", "GetEepromData(2306, 88)"}));
    std::string joined;
    for (const std::string& line : lines) {
        joined += line + "\n";
    }
    EXPECT_EQ(joined, text);
}

TEST_F(TransportSimTest, EmptyAndOverlongItems) {
    sim().writeEepromItem(eeprom::kTestName, "");
    std::vector<std::string> lines{"stale"};
    EXPECT_TRUE(link_.GetEepromData(eeprom::kTestName, lines));
    EXPECT_TRUE(lines.empty());

    sim().writeEepromBytes(eeprom::kTestNumber, std::string("\x01\x10", 2));  // 4097
    EXPECT_FALSE(link_.GetEepromData(eeprom::kTestNumber, lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(sim().receivedCommands(),
              (Commands{"GetEepromData(4112, 2)", "GetEepromData(4096, 2)"}));
}

TEST_F(TransportSimTest, NumbersAndTheCarriageReturnOfTheTestStateQuery) {
    sim().setInternalValue(internal_value::kTestState, test_state::kRunning);
    sim().setInternalValue(13, -7);
    char answer[512];
    int count = 0;
    ASSERT_TRUE(link_.QueryCommand("QueryInternalValue(1)\r", answer, 512, count));
    EXPECT_STREQ(answer, "3");
    double average = 0.0;
    EXPECT_TRUE(link_.AverageInternalValue(3, average));
    EXPECT_DOUBLE_EQ(average, -7.0);
    const Commands written = sim().receivedCommands();
    ASSERT_EQ(written.size(), 11u);
    EXPECT_EQ(written[0], "QueryInternalValue(1)\r");
    for (std::size_t i = 1; i < written.size(); ++i) {
        EXPECT_EQ(written[i], "QueryInternalValue(13)");
    }
}

TEST_F(TransportSimTest, WaitMotorsIdleFollowsAMove) {
    ASSERT_TRUE(link_.SendCommand("Positioning(2,8,3200)"));
    EXPECT_TRUE(link_.WaitMotorsIdle());
    EXPECT_FALSE(sim().motorsMoving());
    EXPECT_EQ(sim().motorPosition(2), 3200);
}

TEST_F(TransportSimTest, FaultsGiveTheirStatus) {
    sim().addFault({sim::SimulatorFault::Kind::NoAnswer, "QueryInternalValue(4)", 0});
    sim().addFault({sim::SimulatorFault::Kind::OverlongLine, "QueryInternalValue(5)", 200});
    int value = 9;
    EXPECT_FALSE(link_.QueryInteger("QueryInternalValue(4)", 128, value));
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);
    EXPECT_EQ(log_.Count(kTimeoutText), 1u);
    EXPECT_FALSE(link_.QueryInteger("QueryInternalValue(5)", 128, value));
    EXPECT_EQ(link_.lastStatus, SerialBufferFull);
    EXPECT_EQ(value, 9);
}

class SdTransferTest : public TransportSimTest {
  protected:
    void SetUp() override {
        TransportSimTest::SetUp();
        for (int i = 0; i < 5000; ++i) {
            content_.push_back(static_cast<char>((i * 31 + i / 256) & 0xFF));
        }
        device_.putFile("DATA/T0001.CSV", content_);
        target_ = std::tmpfile();
        ASSERT_NE(target_, nullptr);
    }
    void TearDown() override { std::fclose(target_); }

    std::string Written() {
        std::fflush(target_);
        std::rewind(target_);
        std::string text(10000, '\0');
        text.resize(std::fread(text.data(), 1, text.size(), target_));
        return text;
    }

    std::string content_;
    std::FILE* target_ = nullptr;
};

TEST_F(SdTransferTest, CopiesEveryByte) {
    const SdFileRead read = link_.ReadFileOnSDCard("T0001.CSV", target_);
    EXPECT_TRUE(read.result);
    EXPECT_EQ(read.announcedSize, 5000);
    EXPECT_EQ(read.bytesWritten, 5000);
    EXPECT_EQ(Written(), content_);
    const Commands written = sim().receivedCommands();
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[0], "ReadFileOnSDCardFirst(\"T0001.CSV\")");
}

// The second piece comes short (the rest never follows) or with six bytes
// too many (they would be taken as the start of the next piece): either way
// the file ends with the piece before it, and nothing more is asked for.
TEST_F(SdTransferTest, APieceThatIsNotWholeAndAloneEndsTheTransferBeforeIt) {
    using Kind = sim::SimulatorFault::Kind;
    const struct {
        Kind kind;
        std::size_t bytes;
        DeviceFailure why;
        std::size_t timeOutsLogged;
    } cases[] = {{Kind::CutShort, 100, DeviceFailure::Timeout, 1},
                 {Kind::Garbage, 1030, DeviceFailure::Unusable, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::rewind(target_);
        log_.Clear();
        sim().clearFaults();
        sim().clearReceivedCommands();
        sim::SimulatorFault fault{c.kind, "ReadFileOnSDCardNext", c.bytes};
        fault.skip = 1;
        fault.times = 1;
        sim().addFault(fault);
        const SdFileRead read = link_.ReadFileOnSDCard("T0001.CSV", target_);
        EXPECT_EQ(read.result.why(), c.why);
        EXPECT_EQ(read.result.command(), "ReadFileOnSDCardNext");
        EXPECT_EQ(read.bytesWritten, 1024);
        EXPECT_EQ(Written(), content_.substr(0, 1024));
        EXPECT_EQ(sim().receivedCommands().size(), 3u);
        EXPECT_EQ(log_.Count(kTimeoutText), c.timeOutsLogged);
    }
}

TEST_F(SdTransferTest, AnUnpluggedDeviceEndsTheTransferAtOnce) {
    link_.serial.setReadTimeoutMs(10000);
    sim::SimulatorFault unplug{sim::SimulatorFault::Kind::HangUpAfter, "ReadFileOnSDCardNext", 10};
    unplug.skip = 2;
    sim().addFault(unplug);
    const auto start = std::chrono::steady_clock::now();
    const SdFileRead read = link_.ReadFileOnSDCard("T0001.CSV", target_);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(read.result.why(), DeviceFailure::PortGone);
    EXPECT_EQ(read.bytesWritten, 2048);
    EXPECT_EQ(link_.lastStatus, SerialReadFailed);
}

}  // namespace
}  // namespace kyrvana
