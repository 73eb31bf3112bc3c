#pragma once

// A simulated stimulator and a DeviceLink with its port open, for tests of
// the core's device work below the document. The read time-out is short
// because the simulator answers at once; a test that makes it stay silent
// waits no longer than that.
//
//   class MyTest : public kyrvana::test_support::SimLinkTest<> {};
//   TEST_F(MyTest, ...) { link_.Homing(); EXPECT_EQ(sim().receivedCommands(), ...); }

#include <gtest/gtest.h>

#include <utility>

#include "core/device/device_link.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

namespace kyrvana::test_support {

template <typename Base = testing::Test>
class SimLinkTest : public Base {
  protected:
    explicit SimLinkTest(sim::SimulatorOptions options = {}) : device_(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
        link_.portName = device_.portPath();
        ASSERT_EQ(link_.OpenPort(), SerialOk);
        link_.serial.setReadTimeoutMs(300);
    }

    sim::SimulatedStimulator& sim() { return device_.sim(); }

    test::LogCapture log_;
    RunningSimulator device_;
    DeviceLink link_;
};

}  // namespace kyrvana::test_support
