#pragma once

// A simulated stimulator running in-process for integration tests: a fresh
// temporary folder as its SD card, answers without latency, started on a real
// pseudo-terminal. Stopped and cleaned up when it goes out of scope.
//
//   kyrvana::test_support::RunningSimulator device;
//   ASSERT_TRUE(device.ok()) << device.error();
//   serial.Open(device.portPath());
//   ...
//   EXPECT_EQ(device.sim().receivedCommands().back(), "Homing");

#include <filesystem>
#include <memory>
#include <string>

#include "sim/simulated_stimulator.h"
#include "support/temporary_folder.h"

namespace kyrvana::test_support {

class RunningSimulator {
  public:
    // The SD card is a new temporary folder, removed again at the end; the
    // latency is whatever `options` says (0 by default).
    explicit RunningSimulator(sim::SimulatorOptions options = {});
    ~RunningSimulator();
    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    sim::SimulatedStimulator& sim() { return *sim_; }
    const sim::SimulatedStimulator& sim() const { return *sim_; }
    std::string portPath() const { return sim_->portPath(); }
    const std::filesystem::path& sdCard() const { return sdCard_.path(); }

    // Puts a file on the simulated SD card (path relative to the card's root).
    void putFile(const std::filesystem::path& relative, const std::string& content) const;

  private:
    TemporaryFolder sdCard_;
    std::unique_ptr<sim::SimulatedStimulator> sim_;
    bool ok_ = false;
    std::string error_;
};

}  // namespace kyrvana::test_support
