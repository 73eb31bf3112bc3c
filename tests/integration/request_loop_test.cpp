// The document's request thread against a simulated stimulator that is
// plugged into and unplugged from a private sysfs tree, as a USB device
// appears and disappears on a real system.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/document/command_ids.h"
#include "core/programming/device_programming.h"
#include "integration/programming_sim_support.h"
#include "support/published_port.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using test_support::RecordingHost;
using test_support::RunningSimulator;
using test_support::waitUntil;
using Statuses = std::vector<DeviceStatus>;

class RequestLoopTest : public testing::Test {
  protected:
    void startDocument(std::chrono::milliseconds pollInterval = 100ms, int readTimeoutMs = 500) {
        DocumentOptions options = test::simulatorDocumentOptions(readTimeoutMs);
        options.sysfsRoot = port_.root();
        options.pollInterval = pollInterval;
        document_ = std::make_unique<CKyrvanaDoc>(host_, options);
        document_->StartRequestThread();
    }

    // The document goes first (members go in reverse order), then the port.
    test_support::PublishedPort port_;
    RecordingHost host_;
    std::unique_ptr<CKyrvanaDoc> document_;
};

// Program Device, Verify Device and Read Device run as the menu starts them
// while a device is plugged in: a posted request, carried out on the request
// thread by the operations the programming installs, each named on the
// status line while it runs.
TEST_F(RequestLoopTest, ConnectsWhenThePortAppearsRunsTheMenusAndDisconnectsWhenItGoes) {
    test::LogCapture log;
    RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    startDocument(50ms, 1000);
    installDeviceProgramming(*document_);

    // No device: nothing is connected, the device commands are disabled,
    // and polling says nothing to the user.
    ASSERT_TRUE(waitUntil([&] { return host_.view().homingBoxVisible; }));
    EXPECT_FALSE(document_->connected());
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdProgramDevice));
    EXPECT_TRUE(host_.statuses().empty());

    port_.plug(device);
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
    EXPECT_TRUE(document_->deviceReady());
    for (int command : {kCmdReadDevice, kCmdVerifyDevice, kCmdProgramDevice, kCmdMoveToPosition,
                        kCmdAccessTestData, kCmdFileOpen, kCmdFileSave}) {
        EXPECT_TRUE(document_->IsCommandEnabled(command)) << command;
    }
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdCalibrationMode));
    EXPECT_EQ(host_.view().deviceText, "Kyrvana P7 on " + port_.devicePath().string());

    const auto runs = [&](DeviceRequest request, const char* paneText) {
        document_->PostRequest(request);
        return waitUntil([&] {
            return host_.view().messagePane.find(paneText) != std::string::npos &&
                   document_->pendingRequest() == DeviceRequest::Idle;
        });
    };
    test::prepareView(host_, test::tenSetSequence(), "2", "Threaded", false);
    ASSERT_TRUE(runs(DeviceRequest::ProgramDevice, "Programming Device"));
    ASSERT_TRUE(runs(DeviceRequest::VerifyDevice, "Device matches the sequence"));
    document_->update(
        [](Protocol& sequence, HardwareSettings&, DisabledWells&) { sequence.clear(); });
    ASSERT_TRUE(runs(DeviceRequest::ReadDevice, "Reading Device"));
    EXPECT_EQ(host_.view().workingSequence.setCount(), 10);

    port_.unplug();
    device.sim().hangUp();
    ASSERT_TRUE(waitUntil([&] { return !document_->connected(); }));
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdProgramDevice));
    EXPECT_TRUE(host_.view().deviceText.empty());
    EXPECT_TRUE(host_.boxes().empty());
    // The status line said so through the settling wait, each operation and
    // the unplug.
    EXPECT_EQ(host_.statuses(),
              (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready, DeviceStatus::Programming,
                        DeviceStatus::Ready, DeviceStatus::Verifying, DeviceStatus::Ready,
                        DeviceStatus::Reading, DeviceStatus::Ready, DeviceStatus::Disconnected}));

    // The next device plugged in is connected in its turn.
    RunningSimulator next;
    port_.plug(next);
    EXPECT_TRUE(waitUntil([&] { return document_->connected(); }));
}

TEST_F(RequestLoopTest, TooOldFirmwareIsReportedOnceAndPollingStops) {
    sim::SimulatorOptions options;
    options.firmwareRevision = "4.58";
    RunningSimulator device(options);
    port_.plug(device);
    startDocument();

    ASSERT_TRUE(waitUntil([&] { return !document_->requestThreadRunning(); }));
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(boxes[0].text.rfind("This software requires firmware Rev 4.59 or higher\n", 0), 0u);
    EXPECT_FALSE(document_->deviceReady());
    // The port stays open after the refusal.
    EXPECT_TRUE(document_->link().serial.isOpen());
    // Back to the resting status once the device was refused.
    EXPECT_EQ(host_.statuses(), (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready}));

    // The thread has ended: a good device plugged in afterwards is not
    // connected automatically.
    EXPECT_EQ(document_->presenceChecks(), 1u);
}

TEST_F(RequestLoopTest, AccessTestDataChecksTheRunningState) {
    RunningSimulator device;
    port_.plug(device);
    startDocument();
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));

    for (const int state : {test_state::kRunning, test_state::kPaused}) {
        device.sim().setInternalValue(internal_value::kTestState, state);
        document_->PostRequest(DeviceRequest::AccessTestData);
        ASSERT_TRUE(waitUntil([&] { return document_->pendingRequest() == DeviceRequest::Idle; }));
    }
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Cannot Access Test Data\nWhile Test is Running or Paused\n");
    EXPECT_EQ(host_.testDataDialogRuns.load(), 0);

    device.sim().setInternalValue(internal_value::kTestState, 1);
    document_->PostRequest(DeviceRequest::AccessTestData);
    ASSERT_TRUE(waitUntil([&] { return host_.testDataDialogRuns.load() == 1; }));
    EXPECT_EQ(device.sim().receivedCommands().back(), "QueryInternalValue(1)\r");
}

TEST_F(RequestLoopTest, ManualConnectWithoutADeviceSaysSoAndStopsPolling) {
    startDocument();
    document_->PostRequest(DeviceRequest::ManualConnect);
    ASSERT_TRUE(waitUntil([&] { return !host_.boxes().empty(); }));
    EXPECT_EQ(host_.boxes()[0].text, kDeviceNotDetectedMessage);
    EXPECT_FALSE(document_->autoConnect());

    // With polling off a plugged device stays unconnected: the loop still
    // runs requests, but looks no more. Without a connection the test data
    // dialog opens without asking the device anything.
    RunningSimulator device;
    port_.plug(device);
    const std::uint64_t checks = document_->presenceChecks();
    document_->PostRequest(DeviceRequest::AccessTestData);
    ASSERT_TRUE(waitUntil([&] { return host_.testDataDialogRuns.load() == 1; }));
    EXPECT_EQ(document_->presenceChecks(), checks);
    EXPECT_EQ(host_.boxes().size(), 1u);
    EXPECT_TRUE(device.sim().receivedCommands().empty());
}

TEST_F(RequestLoopTest, StoppingWakesAThreadWaitingForTheDevice) {
    RunningSimulator device;
    port_.plug(device);
    startDocument(100ms, 20000);  // a real device's read time-out
    document_->readDevice = [](CKyrvanaDoc& document) {
        // A device that does not answer: the read waits for its time-out.
        char answer[128];
        int count = 0;
        (void)document.link().QueryCommand("QueryInternalValue(4)", answer, sizeof answer, count);
    };
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
    device.sim().addFault({sim::SimulatorFault::Kind::NoAnswer, "QueryInternalValue(4)", 0});
    document_->PostRequest(DeviceRequest::ReadDevice);
    ASSERT_TRUE(waitUntil([&] {
        const auto commands = device.sim().receivedCommands();
        return !commands.empty() && commands.back() == "QueryInternalValue(4)";
    }));
    const auto start = std::chrono::steady_clock::now();
    document_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace kyrvana
