#pragma once

// A simulator with the test's own raw port on it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "raw_port.h"
#include "support/sim_fixture.h"

namespace kyrvana::sim_tests {

// A running simulator (no latency unless the options say so) and a raw port
// opened on it.
class SimulatorPortTest : public ::testing::Test {
  protected:
    explicit SimulatorPortTest(sim::SimulatorOptions options = {}) : device_(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(device_.ok()) << device_.error();
        reopenPort();
    }
    void reopenPort() {
        port_.reset();
        port_ = std::make_unique<RawPort>(device_.portPath());
        ASSERT_TRUE(port_->isOpen());
    }

    RawPort& port() { return *port_; }
    sim::SimulatedStimulator& sim() { return device_.sim(); }

    test_support::RunningSimulator device_;
    std::unique_ptr<RawPort> port_;
};

}  // namespace kyrvana::sim_tests
