#include "gui/app/simulated_device.h"

#include <stdlib.h>

#include <system_error>

#include "sim/sd_card_seed.h"

namespace kyrvana::gui {
namespace {

bool fail(std::string* error, const std::string& reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

}  // namespace

SimulatedDevice::SimulatedDevice(sim::SimulatorOptions options) : options_(std::move(options)) {}

SimulatedDevice::~SimulatedDevice() {
    publisher_.unpublish();
    if (simulator_) {
        simulator_->stop();
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool SimulatedDevice::makeFolders(std::string* error) {
    if (!folder_.empty()) {
        return true;
    }
    std::error_code ec;
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "kyrvana-simulate-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return fail(error, "cannot make a temporary folder for the simulated stimulator");
    }
    folder_ = pattern;
    sysfsRoot_ = folder_ / "sysfs";
    std::filesystem::create_directories(sysfsRoot_, ec);
    return true;
}

bool SimulatedDevice::start(std::string* error) {
    if (!makeFolders(error)) {
        return false;
    }
    if (options_.sdCard.empty()) {
        std::error_code ec;
        options_.sdCard = folder_ / "sd-card";
        std::filesystem::create_directories(options_.sdCard, ec);
        std::string seedError;
        // A card without demo files still works; the listing is just empty.
        sim::seedSdCard(options_.sdCard, &seedError);
    }
    simulator_ = std::make_unique<sim::SimulatedStimulator>(options_);
    std::string reason;
    if (!simulator_->start(&reason)) {
        return fail(error, "cannot start the simulated stimulator: " + reason);
    }
    return plug(error);
}

void SimulatedDevice::unplug() {
    publisher_.unpublish();
}

bool SimulatedDevice::plug(std::string* error) {
    if (!simulator_ || publisher_.published()) {
        return publisher_.published();
    }
    std::string reason;
    if (!publisher_.publish(sysfsRoot_, simulator_->portPath(), &reason)) {
        return fail(error, "cannot plug in the simulated stimulator: " + reason);
    }
    return true;
}

}  // namespace kyrvana::gui
