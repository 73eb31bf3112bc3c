// The device link against the simulated stimulator: connecting and
// identifying (what the link learns, the traffic in order, the copy of it the
// window reads, the firmware gate of the document, devices that answer
// nonsense or nothing), and the bytes of the commands no round trip elsewhere
// pins down. The commands that programming, moves and the SD card send are
// checked exactly in those tests' traffic.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/device_link.h"
#include "core/document/kyrvana_doc.h"
#include "integration/programming_sim_support.h"
#include "support/log_capture.h"
#include "support/recording_host.h"
#include "support/sim_fixture.h"
#include "support/sim_link.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;
using Fault = sim::SimulatorFault;

constexpr int kShortTimeoutMs = 150;

sim::SimulatorOptions simOptions(const std::string& firmware = "4.60", int hardwareType = 0) {
    sim::SimulatorOptions options;
    options.firmwareRevision = firmware;
    options.hardwareType = hardwareType;
    return options;
}

// Points `link` at the simulator, to connect without the settling wait.
void Attach(DeviceLink& link, const test_support::RunningSimulator& device) {
    ASSERT_TRUE(device.ok()) << device.error();
    link.portName = device.portPath();
    link.settleDelay = 0ms;
    link.serial.setReadTimeoutMs(kShortTimeoutMs);
}

class IdentificationTest : public testing::Test {
  protected:
    void Attach(const test_support::RunningSimulator& device) { kyrvana::Attach(link_, device); }

    test::LogCapture log_;
    DeviceLink link_;
};

TEST_F(IdentificationTest, LearnsTheDeviceInItsTrafficOrder) {
    test_support::RunningSimulator device(simOptions("4.60", 2));
    Attach(device);
    ASSERT_TRUE(link_.Connect());

    EXPECT_EQ(std::tie(link_.firmwareRevision, link_.firmwareRevisionCode, link_.hardwareRevision,
                       link_.hardwareType, link_.internalValue4),
              std::make_tuple(4600, 4600, 2, kHardwareTypeQ3, 1));
    EXPECT_TRUE(
        std::ranges::all_of(link_.umPerUstep, [](double pitch) { return pitch == 0.15625; }));

    // The revisions are asked twice (the first answers are thrown away),
    // then the values, the calibration item and each well's pitch.
    const std::string calibration = device.sim().eepromItem(eeprom::kCalibration);
    Commands expected;
    for (int pass = 0; pass < 2; ++pass) {
        for (int index = 0; index < 4; ++index) {
            expected.push_back("QueryRev(" + std::to_string(index) + ")");
        }
    }
    expected.insert(expected.end(),
                    {"QueryInternalValue(4)", "QueryInternalValue(6)", "GetEepromData(3840, 2)",
                     "GetEepromData(3842, " + std::to_string(calibration.size()) + ")"});
    for (int well = 0; well < 6; ++well) {
        expected.push_back("QueryUmPerUstep(" + std::to_string(well) + ")");
    }
    EXPECT_EQ(device.sim().receivedCommands(), expected);
}

TEST_F(IdentificationTest, AnUnknownHardwareTypeIsReportedAndTheConnectionCompletes) {
    test_support::RunningSimulator device(simOptions("4.60", 7));
    Attach(device);
    EXPECT_TRUE(link_.Connect());
    EXPECT_EQ(link_.hardwareType, 7);
    EXPECT_EQ(log_.Count("Error Detecting Hardware Type\n"), 1u);
    EXPECT_DOUBLE_EQ(link_.umPerUstep[5], 0.15625);
}

// One calibration line per well: a short line keeps the fields it does not
// name, an empty one the whole well, and lines after the sixth are ignored.
TEST_F(IdentificationTest, CalibrationLinesFillAtMostSixWells) {
    test_support::RunningSimulator device;
    std::string item = "50\n\n60,0.5\n";
    for (int line = 3; line < 8; ++line) {
        item += cFormat("%d,0.00%d,%d\n", 100 + line, line + 1, 40000 + line);
    }
    device.sim().writeEepromItem(eeprom::kCalibration, item);
    Attach(device);
    link_.loadCellGain.fill(9.0);
    link_.loadCellZero.fill(7);
    ASSERT_TRUE(link_.Connect());
    EXPECT_EQ(link_.fullScaleLoad,
              (std::array<float, 6>{50.0f, 111.0f, 60.0f, 103.0f, 104.0f, 105.0f}));
    EXPECT_EQ(link_.loadCellGain, (std::array<double, 6>{9.0, 9.0, 0.5, 0.004, 0.005, 0.006}));
    EXPECT_EQ(link_.loadCellZero, (std::array<std::uint16_t, 6>{7, 7, 7, 40003, 40004, 40005}));
}

TEST_F(IdentificationTest, APortHeldByAnotherProgramIsExplained) {
    test_support::RunningSimulator device;
    Attach(device);
    DeviceLink holder;
    holder.portName = device.portPath();
    ASSERT_EQ(holder.OpenPort(), SerialOk);

    EXPECT_FALSE(link_.Connect());
    const Commands lines = log_.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("in use by another program"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(device.portPath()), std::string::npos);
}

// Devices that do not speak the protocol, or stop answering: every exchange
// ends within the read time-out, and what was not learnt keeps its default,
// even what a device connected before had told. A device that falls silent
// is found out by its first unanswered query, and nothing more is sent.
TEST_F(IdentificationTest, ADeviceThatAnswersNonsenseOrNothingKeepsTheDefaults) {
    const struct {
        const char* name;
        Fault fault;
    } cases[] = {
        {"silent from the third query", {Fault::Kind::NoAnswer, "QueryRev(2)", 0}},
        {"overlong lines", {Fault::Kind::OverlongLine, "", 600}},
        {"garbage", {Fault::Kind::Garbage, "", 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::RunningSimulator device;
        device.sim().addFault(c.fault);
        DeviceLink link;
        kyrvana::Attach(link, device);
        link.umPerUstep.fill(0.5);
        link.firmwareRevisionCode = 4600;

        const auto started = std::chrono::steady_clock::now();
        const DeviceResult result = link.Connect();
        EXPECT_FALSE(result);
        EXPECT_TRUE(link.serial.isOpen());
        // At most 17 exchanges, none waiting longer than one time-out and the
        // wait for the line to fall quiet after an answer that was unusable.
        EXPECT_LT(std::chrono::steady_clock::now() - started,
                  17 * (kShortTimeoutMs * 1ms + timing::kResyncLimit) + 1s);
        if (c.fault.kind == Fault::Kind::NoAnswer) {
            EXPECT_EQ(result.command(), "QueryRev(2)");
            EXPECT_EQ(device.sim().receivedCommands(),
                      (Commands{"QueryRev(0)", "QueryRev(1)", "QueryRev(2)"}));
        }

        EXPECT_EQ(link.firmwareRevisionCode, 1000);
        EXPECT_EQ(link.revisions.size(), 4u);
        if (c.fault.kind == Fault::Kind::Garbage) {
            continue;  // random bytes may well hold digits; only the bound matters
        }
        EXPECT_EQ(std::tie(link.firmwareRevision, link.hardwareRevision, link.hardwareType,
                           link.internalValue4),
                  std::make_tuple(1000, 1000, 0, 0));
        EXPECT_EQ(link.fullScaleLoad, DeviceLink{}.fullScaleLoad);
        EXPECT_EQ(link.umPerUstep[5], 0.5);
    }
}

// The copy of what the device is that the window reads while the request
// thread connects: it follows every new connection, and a reader never sees
// one device's model with another's revision texts.
TEST_F(IdentificationTest, TheSnapshotFollowsEachConnectionWholeWhileAnotherThreadReadsIt) {
    test_support::RunningSimulator q3(simOptions("4.60", kHardwareTypeQ3));
    test_support::RunningSimulator p7(simOptions("4.75", kHardwareTypeP7));
    const auto reconnect = [&](const test_support::RunningSimulator& device) {
        const auto hold = link_.Hold();
        link_.serial.CloseSerialPort();
        Attach(device);
        return static_cast<bool>(link_.Connect());
    };
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done.load()) {
            const DeviceSnapshot seen = link_.Snapshot();
            // Each device's firmware goes with its model; a half-replaced
            // copy would pair one with the other.
            const bool q3Pair =
                seen.hardwareType == kHardwareTypeQ3 && seen.firmwareRevision == 4600;
            const bool p7Pair =
                seen.hardwareType == kHardwareTypeP7 && seen.firmwareRevision == 4750;
            if (!q3Pair && !p7Pair && !seen.revisions.empty()) {
                ++mixed;
            }
        }
    });
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(reconnect(q3));
        const DeviceSnapshot afterQ3 = link_.Snapshot();
        EXPECT_EQ(afterQ3.hardwareType, kHardwareTypeQ3);
        EXPECT_EQ(afterQ3.portName, q3.portPath());
        ASSERT_TRUE(reconnect(p7));
        EXPECT_EQ(link_.Snapshot().hardwareType, kHardwareTypeP7);
        EXPECT_EQ(link_.Snapshot().revisions, link_.revisions);
    }
    done = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
}

// --- Commands and their bytes --------------------------------------------------

class DeviceCommandsTest : public test_support::SimLinkTest<> {};

TEST_F(DeviceCommandsTest, EachCommandLeavesAsItsExactBytes) {
    sim().writeEepromItem(1792, std::string(600, 's'));
    // Answers land here; only the bytes sent matter in this test.
    std::int64_t n64 = 0;
    std::uint32_t w = 0;
    std::string t;
    Commands lines;
    using L = DeviceLink;
    constexpr DeviceFailure kOk = DeviceFailure::None;
    const struct {
        const char* name;
        std::function<DeviceResult(DeviceLink&)> call;
        DeviceFailure result;
        Commands sent;
    } cases[] = {
        // clang-format off
        {"revision 5 is never sent", [&](L& l) { return l.QueryRev(5, t); },
         DeviceFailure::Refused, {}},
        {"control setting read", [&](L& l) { return l.GetEepromControlSettingsData(3, w); }, kOk,
         {"GetEepromControlSettingsData(0, 3)"}},
        // A stored item: its length, then pieces of at most 256 bytes.
        {"eeprom item", [&](L& l) { return l.GetEepromData(1792, lines); }, kOk,
         {"GetEepromData(1792, 2)", "GetEepromData(1794, 256)", "GetEepromData(2050, 256)",
          "GetEepromData(2306, 88)"}},
        {"listing", [&](L& l) { return l.ListFilesOnSDCard(lines); }, kOk, {"ListFilesOnSDCard"}},
        {"volume", [&](L& l) { return l.QuerySDVolumeSizeKB(n64); }, kOk, {"QuerySDVolumeSizeKB"}},
        {"homing", [&](L& l) { return l.Homing(); }, kOk, {"Homing"}},
        // Packed commands: 0x1C, the letter, the arguments.
        {"packed read", [&](L& l) { return l.ReadDeviceWord(eeprom::kHomingDisabledWord, w); }, kOk,
         {"\x1CO(4348)"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim().clearReceivedCommands();
        EXPECT_EQ(c.call(link_).why(), c.result);
        EXPECT_EQ(sim().receivedCommands(), c.sent);
    }
    EXPECT_EQ(sim().receivedGarbage(), "");
}

// --- The document's connection: the firmware gate ------------------------------

// The oldest revision the document accepts; a revision below it is refused
// in the request loop's tests.
TEST(FirmwareGateTest, RevisionFourFiftyNineIsAcceptedAndTheTestNameRead) {
    test::LogCapture log;
    test_support::RunningSimulator device(simOptions("4.59"));
    device.sim().writeEepromItem(eeprom::kTestName, "Tendon A\n");
    test_support::RecordingHost host;
    CKyrvanaDoc document(host, test::simulatorDocumentOptions(kShortTimeoutMs));
    test::connectTo(document, device);
    EXPECT_EQ(host.view().testName, "Tendon A");
    EXPECT_EQ(host.view().testNumber, "0001");
    EXPECT_EQ(document.hardware().FirmwareVersion, 4590);
}

}  // namespace
}  // namespace kyrvana
