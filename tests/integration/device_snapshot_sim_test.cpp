// The copy of what the device is that the window reads while the request
// thread connects: it follows every new connection, and a reader never sees
// one device's model with another's revision texts.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/device/device_link.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;

sim::SimulatorOptions model(int hardwareType, const std::string& firmware) {
    sim::SimulatorOptions options;
    options.hardwareType = hardwareType;
    options.firmwareRevision = firmware;
    return options;
}

bool connectTo(DeviceLink& link, const test_support::RunningSimulator& device) {
    auto hold = link.Hold();
    if (link.serial.isOpen()) {
        link.serial.CloseSerialPort();
    }
    link.portName = device.portPath();
    link.settleDelay = 0ms;
    link.serial.setReadTimeoutMs(300);
    return static_cast<bool>(link.Connect());
}

TEST(DeviceSnapshotTest, FollowsEachConnectionWholeWhileAnotherThreadReadsIt) {
    test::LogCapture log;
    test_support::RunningSimulator q3(model(kHardwareTypeQ3, "4.60"));
    test_support::RunningSimulator p7(model(kHardwareTypeP7, "4.75"));
    ASSERT_TRUE(q3.ok()) << q3.error();
    ASSERT_TRUE(p7.ok()) << p7.error();

    DeviceLink link;
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done.load()) {
            const DeviceSnapshot seen = link.Snapshot();
            // Each device's firmware goes with its model; a half-replaced
            // copy would pair one with the other.
            const bool q3Pair =
                seen.hardwareType == kHardwareTypeQ3 && seen.firmwareRevision == 4600;
            const bool p7Pair =
                seen.hardwareType == kHardwareTypeP7 && seen.firmwareRevision == 4750;
            const bool unknown = seen.revisions.empty();
            if (!q3Pair && !p7Pair && !unknown) {
                ++mixed;
            }
        }
    });
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(connectTo(link, q3));
        const DeviceSnapshot afterQ3 = link.Snapshot();
        EXPECT_EQ(afterQ3.hardwareType, kHardwareTypeQ3);
        EXPECT_EQ(afterQ3.portName, q3.portPath());
        EXPECT_DOUBLE_EQ(afterQ3.umPerUstep[5], link.umPerUstep[5]);
        ASSERT_TRUE(connectTo(link, p7));
        EXPECT_EQ(link.Snapshot().hardwareType, kHardwareTypeP7);
        EXPECT_EQ(link.Snapshot().revisions, link.revisions);
    }
    done = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
}

}  // namespace
}  // namespace kyrvana
