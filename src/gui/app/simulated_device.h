#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "sim/simulated_stimulator.h"
#include "sim/sysfs_port_publisher.h"

namespace kyrvana::gui {

// The stimulator of `kyrvana --simulate`: a simulated stimulator running in
// this process on a pseudo-terminal, with a demo SD card, plugged into a
// private sysfs tree in a temporary folder. The document, pointed at that
// tree, finds and connects it exactly as it finds a real stimulator. The
// folder is removed again when the device goes.
class SimulatedDevice {
  public:
    explicit SimulatedDevice(sim::SimulatorOptions options = {});
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    // Makes the temporary folders; sysfsRoot() is known from then on, so a
    // document can be pointed at it before the device is plugged in.
    bool makeFolders(std::string* error = nullptr);
    // Makes the folders when that has not been done, starts the simulator
    // and plugs it in. False with a reason in `error` when a step fails.
    bool start(std::string* error = nullptr);

    // Takes the port out of the tree and puts it back, as a USB cable.
    void unplug();
    bool plug(std::string* error = nullptr);
    bool plugged() const { return publisher_.published(); }

    // The root the document's port list must look under.
    const std::filesystem::path& sysfsRoot() const { return sysfsRoot_; }
    sim::SimulatedStimulator& simulator() { return *simulator_; }

  private:
    sim::SimulatorOptions options_;
    std::filesystem::path folder_;
    std::filesystem::path sysfsRoot_;
    std::unique_ptr<sim::SimulatedStimulator> simulator_;
    sim::SysfsPortPublisher publisher_;
};

}  // namespace kyrvana::gui
