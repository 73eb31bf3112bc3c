// What the document tells its host for the window's status line while the
// request thread connects, loses a device and runs device operations, against
// a simulated stimulator plugged into a private sysfs tree.

#include <gtest/gtest.h>

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
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using test_support::RecordingHost;
using test_support::RunningSimulator;
using test_support::waitUntil;
using Statuses = std::vector<DeviceStatus>;

class DeviceStatusTest : public testing::Test {
  protected:
    void TearDown() override {
        document_.reset();
        publisher_.unpublish();
    }

    void startDocument() {
        DocumentOptions options;
        options.sysfsRoot = root_.path();
        options.settleDelay = 0ms;
        options.readTimeoutMs = 500;
        options.pollInterval = 50ms;
        document_ = std::make_unique<CKyrvanaDoc>(host_, options);
        document_->StartRequestThread();
    }

    void plug(RunningSimulator& device) {
        std::string error;
        ASSERT_TRUE(publisher_.publish(root_.path(), device.portPath(), &error)) << error;
    }

    // Waits until the statuses announced so far are `expected`.
    bool statusesBecome(const Statuses& expected) {
        return waitUntil([&] { return host_.statuses() == expected; });
    }

    test_support::TemporaryFolder root_;
    sim::SysfsPortPublisher publisher_;
    RecordingHost host_;
    std::unique_ptr<CKyrvanaDoc> document_;
};

TEST_F(DeviceStatusTest, ConnectingThenReadyAndDisconnectedAfterAnUnplug) {
    RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    startDocument();
    ASSERT_TRUE(waitUntil([&] { return host_.view().homingBoxVisible; }));
    // Looking for a device that is not there changes nothing on the line.
    EXPECT_TRUE(host_.statuses().empty());

    plug(device);
    ASSERT_TRUE(statusesBecome({DeviceStatus::Connecting, DeviceStatus::Ready}));

    publisher_.unpublish();
    device.sim().hangUp();
    ASSERT_TRUE(statusesBecome(
        {DeviceStatus::Connecting, DeviceStatus::Ready, DeviceStatus::Disconnected}));

    // "Disconnected" stays until a device is back.
    RunningSimulator replacement;
    ASSERT_TRUE(replacement.ok()) << replacement.error();
    plug(replacement);
    ASSERT_TRUE(
        statusesBecome({DeviceStatus::Connecting, DeviceStatus::Ready, DeviceStatus::Disconnected,
                        DeviceStatus::Connecting, DeviceStatus::Ready}));
}

TEST_F(DeviceStatusTest, RefusedDeviceReturnsToTheRestingStatus) {
    sim::SimulatorOptions options;
    options.firmwareRevision = "4.58";
    RunningSimulator device(options);
    ASSERT_TRUE(device.ok()) << device.error();
    plug(device);
    startDocument();

    ASSERT_TRUE(waitUntil([&] { return !document_->requestThreadRunning(); }));
    EXPECT_EQ(host_.statuses(), (Statuses{DeviceStatus::Connecting, DeviceStatus::Ready}));
    EXPECT_EQ(host_.boxes().size(), 1u);
}

TEST_F(DeviceStatusTest, OperationsNameThemselvesWhileTheyRun) {
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
                          Case{kRequestProgramDevice, DeviceStatus::Programming}}) {
        std::atomic<int> runs{0};
        DeviceStatus seen = DeviceStatus::Ready;
        const auto operation = [&](CKyrvanaDoc&) {
            seen = host_.statuses().back();
            ++runs;
        };
        document_->readDevice = operation;
        document_->programDevice = operation;
        const std::size_t before = host_.statuses().size();
        document_->PostRequest(c.request);
        ASSERT_TRUE(waitUntil([&] { return host_.statuses().size() == before + 2; }));
        EXPECT_EQ(runs.load(), 1);
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(host_.statuses().back(), DeviceStatus::Ready);
    }
}

}  // namespace
}  // namespace kyrvana
