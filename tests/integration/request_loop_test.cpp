// The document's request thread against a simulated stimulator that is
// plugged into and unplugged from a private sysfs tree, as a USB device
// appears and disappears on a real system.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/device/command_ids.h"
#include "core/protocol/kyrvana_doc.h"
#include "sim/sysfs_port_publisher.h"
#include "support/recording_host.h"
#include "support/sim_fixture.h"
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
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("kyrvana-loop-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    void TearDown() override {
        document_.reset();
        publisher_.unpublish();
        std::filesystem::remove_all(root_);
    }

    void startDocument() {
        DocumentOptions options;
        options.sysfsRoot = root_;
        options.settleDelay = 0ms;
        options.readTimeoutMs = 500;
        options.pollInterval = 100ms;
        options.autoConnectPause = 10ms;
        document_ = std::make_unique<CKyrvanaDoc>(host_, options);
        document_->StartRequestThread();
    }

    void plug(RunningSimulator& device) {
        std::string error;
        ASSERT_TRUE(publisher_.publish(root_, device.portPath(), &error)) << error;
    }

    std::filesystem::path root_;
    sim::SysfsPortPublisher publisher_;
    RecordingHost host_;
    std::unique_ptr<CKyrvanaDoc> document_;
};

TEST_F(RequestLoopTest, ConnectsWhenThePortAppearsAndDisconnectsWhenItGoes) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    startDocument();

    // No device: nothing is connected, the device commands are disabled,
    // and polling says nothing to the user.
    ASSERT_TRUE(waitUntil([&] { return host_.view().homingBoxVisible; }));
    EXPECT_FALSE(document_->connected());
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdProgramDevice));
    EXPECT_TRUE(host_.statuses().empty());

    plug(device);
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
    EXPECT_TRUE(document_->deviceReady());
    EXPECT_TRUE(document_->portPresent());
    for (int command : {kCmdReadDevice, kCmdVerifyDevice, kCmdProgramDevice, kCmdMoveToPosition,
                        kCmdAccessTestData, kCmdFileOpen, kCmdFileSave}) {
        EXPECT_TRUE(document_->IsCommandEnabled(command)) << command;
    }
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdCalibrationMode));
    EXPECT_EQ(host_.view().deviceText, "Kyrvana P7 on " + (root_ / "dev/ttyACM0").string());
    // The status line said so through the settling wait.
    EXPECT_EQ(host_.statuses(), (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready}));

    publisher_.unpublish();
    device.sim().hangUp();
    ASSERT_TRUE(waitUntil([&] { return !document_->connected(); }));
    EXPECT_FALSE(document_->deviceReady());
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdProgramDevice));
    EXPECT_FALSE(document_->IsCommandEnabled(kCmdVerifyDevice));
    EXPECT_TRUE(host_.view().deviceText.empty());
    EXPECT_TRUE(host_.boxes().empty());
    EXPECT_TRUE(document_->requestThreadRunning());
    EXPECT_EQ(host_.statuses(), (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready,
                                          DeviceStatus::Disconnected}));
}

TEST_F(RequestLoopTest, TooOldFirmwareIsReportedOnceAndPollingStops) {
    sim::SimulatorOptions options;
    options.firmwareRevision = "4.58";
    RunningSimulator device(options);
    ASSERT_TRUE(device.ok()) << device.error();
    plug(device);
    startDocument();

    ASSERT_TRUE(waitUntil([&] { return !document_->requestThreadRunning(); }));
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(boxes[0].text.rfind("This software requires firmware Rev 4.59 or higher\n", 0), 0u);
    EXPECT_FALSE(document_->connected());
    // Back to the resting status once the device was refused.
    EXPECT_EQ(host_.statuses(), (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready}));

    // A good device plugged in afterwards is not connected automatically.
    publisher_.unpublish();
    RunningSimulator replacement;
    ASSERT_TRUE(replacement.ok());
    plug(replacement);
    EXPECT_FALSE(waitUntil([&] { return document_->connected(); }, 400ms));
    EXPECT_EQ(host_.boxes().size(), 1u);
}

TEST_F(RequestLoopTest, OnlyTheLastOfTwoQuickRequestsRuns) {
    std::atomic<int> reads{0};
    std::atomic<int> programs{0};
    std::atomic<bool> busy{false};
    std::atomic<bool> release{false};
    startDocument();
    document_->readDevice = [&](CKyrvanaDoc&) {
        ++reads;
        busy = true;
        waitUntil([&] { return release.load(); });
    };
    document_->programDevice = [&](CKyrvanaDoc&) { ++programs; };

    // While the thread is busy with a first request, two more arrive: the
    // second replaces the first before the thread can see it.
    document_->PostRequest(kRequestReadDevice);
    ASSERT_TRUE(waitUntil([&] { return busy.load(); }));
    document_->PostRequest(kRequestReadDevice);
    document_->PostRequest(kRequestProgramDevice);
    release = true;
    ASSERT_TRUE(waitUntil([&] { return programs.load() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return document_->pendingRequest() == kRequestIdle; }));
    EXPECT_EQ(reads.load(), 1);
}

TEST_F(RequestLoopTest, UnhandledCodesStayPendingAndTheLoopGoesOn) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok());
    startDocument();
    document_->PostRequest(kRequestMoveToPositionClosed);
    plug(device);
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
    EXPECT_EQ(document_->pendingRequest(), kRequestMoveToPositionClosed);
}

TEST_F(RequestLoopTest, AccessTestDataChecksTheRunningState) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok());
    plug(device);
    startDocument();
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));

    for (const int state : {test_state::kRunning, test_state::kPaused}) {
        device.sim().setInternalValue(internal_value::kTestState, state);
        document_->PostRequest(kRequestAccessTestData);
        ASSERT_TRUE(waitUntil([&] { return document_->pendingRequest() == kRequestIdle; }));
    }
    const auto boxes = host_.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Cannot Access Test Data\nWhile Test is Running or Paused\n");
    EXPECT_EQ(host_.testDataDialogRuns.load(), 0);

    device.sim().setInternalValue(internal_value::kTestState, 1);
    document_->PostRequest(kRequestAccessTestData);
    ASSERT_TRUE(waitUntil([&] { return host_.testDataDialogRuns.load() == 1; }));
    EXPECT_EQ(device.sim().receivedCommands().back(), "QueryInternalValue(1)\r");
}

TEST_F(RequestLoopTest, AccessTestDataWithoutAPortOpensTheDialogWithoutAsking) {
    startDocument();
    document_->PostRequest(kRequestAccessTestData);
    ASSERT_TRUE(waitUntil([&] { return host_.testDataDialogRuns.load() == 1; }));
    EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(RequestLoopTest, ManualConnectWithoutADeviceSaysSoAndStopsPolling) {
    startDocument();
    document_->PostRequest(kRequestManualConnect);
    ASSERT_TRUE(waitUntil([&] { return !host_.boxes().empty(); }));
    EXPECT_EQ(host_.boxes()[0].text, kDeviceNotDetectedMessage);
    EXPECT_FALSE(document_->autoConnect());

    // With polling off a plugged device stays unconnected until auto-connect
    // is turned on again.
    RunningSimulator device;
    ASSERT_TRUE(device.ok());
    plug(device);
    EXPECT_FALSE(waitUntil([&] { return document_->connected(); }, 300ms));
    document_->PostRequest(kRequestAutoConnectOn);
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
}

TEST_F(RequestLoopTest, IdleLoopDoesNotSpin) {
    startDocument();
    ASSERT_TRUE(waitUntil([&] { return host_.view().homingBoxVisible; }));
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    // Let the loop poll several times with nothing to do.
    while (std::chrono::steady_clock::now() - start < 600ms) {
        std::this_thread::sleep_for(50ms);
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpuMicros = [](const rusage& usage) {
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L + usage.ru_utime.tv_usec +
               usage.ru_stime.tv_usec;
    };
    // A spinning loop would burn the whole 600 ms.
    EXPECT_LT(cpuMicros(after) - cpuMicros(before), 300000L);
}

TEST_F(RequestLoopTest, StoppingWakesAThreadWaitingForTheDevice) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok());
    plug(device);
    DocumentOptions options;
    options.sysfsRoot = root_;
    options.settleDelay = 0ms;
    options.pollInterval = 100ms;  // default 20 s read time-out
    document_ = std::make_unique<CKyrvanaDoc>(host_, options);
    document_->readDevice = [](CKyrvanaDoc& document) {
        // A device that does not answer: the read waits for its time-out.
        char answer[128];
        int count = 0;
        (void)document.link().QueryCommand("QueryInternalValue(4)", answer, sizeof answer, count);
    };
    document_->StartRequestThread();
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));
    device.sim().addFault({sim::SimulatorFault::Kind::NoAnswer, "QueryInternalValue(4)", 0});
    document_->PostRequest(kRequestReadDevice);
    ASSERT_TRUE(waitUntil([&] {
        const auto commands = device.sim().receivedCommands();
        return !commands.empty() && commands.back() == "QueryInternalValue(4)";
    }));
    const auto start = std::chrono::steady_clock::now();
    document_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(RequestLoopTest, OperationsNameThemselvesOnTheStatusLineWhileTheyRun) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    plug(device);
    startDocument();
    ASSERT_TRUE(waitUntil([&] { return document_->connected(); }));

    struct Case {
        int request;
        DeviceStatus shown;
    };
    for (const Case& c : {Case{kRequestReadDevice, DeviceStatus::Reading},
                          Case{kRequestVerifyDevice, DeviceStatus::Verifying},
                          Case{kRequestProgramDevice, DeviceStatus::Programming}}) {
        std::atomic<int> runs{0};
        DeviceStatus seen = DeviceStatus::Ready;
        const auto operation = [&](CKyrvanaDoc&) {
            seen = host_.statuses().back();
            ++runs;
        };
        document_->readDevice = operation;
        document_->verifyDevice = operation;
        document_->programDevice = operation;
        const std::size_t before = host_.statuses().size();
        document_->PostRequest(c.request);
        // The status before the operation and the one after it.
        ASSERT_TRUE(waitUntil([&] { return host_.statuses().size() == before + 2; }));
        EXPECT_EQ(runs.load(), 1);
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(host_.statuses().back(), DeviceStatus::Ready);
    }
}

}  // namespace
}  // namespace kyrvana
