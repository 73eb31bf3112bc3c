#pragma once

// Exchanges of the program's command transport, spelled out over a raw port
// (the chunked EEPROM item transfer in both directions), and a simulator
// with the test's own raw port on it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "raw_port.h"
#include "support/sim_fixture.h"

namespace kyrvana::sim_tests {

// SetEepromData(address,length), then chunks of 200 at address + 2 + offset.
// False when any answer is not "OK\r".
bool writeItemOverWire(RawPort& port, int address, const std::string& text);
// GetEepromData(address, 2) for the length, then chunks of 256.
std::string readItemOverWire(RawPort& port, int address);

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
