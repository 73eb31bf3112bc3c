#include "support/sim_fixture.h"

#include <fstream>
#include <system_error>

namespace kyrvana::test_support {

RunningSimulator::RunningSimulator(sim::SimulatorOptions options) {
    options.sdCard = sdCard_.path();
    sim_ = std::make_unique<sim::SimulatedStimulator>(std::move(options));
    if (sdCard_.path().empty()) {
        error_ = "cannot make a temporary SD-card folder";
        return;
    }
    ok_ = sim_->start(&error_);
}

// The simulator stops before its card folder goes.
RunningSimulator::~RunningSimulator() {
    sim_->stop();
}

void RunningSimulator::putFile(const std::filesystem::path& relative,
                               const std::string& content) const {
    const std::filesystem::path target = sdCard() / relative;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace kyrvana::test_support
