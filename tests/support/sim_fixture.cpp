#include "support/sim_fixture.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

namespace kyrvana::test_support {

namespace {

std::filesystem::path makeTemporaryFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        base = "/tmp";
    }
    std::string pattern = (base / "kyrvana-sd-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}

}  // namespace

RunningSimulator::RunningSimulator(sim::SimulatorOptions options) {
    if (options.sdCard.empty()) {
        ownedFolder_ = makeTemporaryFolder();
        options.sdCard = ownedFolder_;
    }
    sdCard_ = options.sdCard;
    sim_ = std::make_unique<sim::SimulatedStimulator>(std::move(options));
    if (sdCard_.empty()) {
        error_ = "cannot make a temporary SD-card folder";
        return;
    }
    ok_ = sim_->start(&error_);
}

RunningSimulator::~RunningSimulator() {
    sim_->stop();
    if (!ownedFolder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(ownedFolder_, ec);
    }
}

void RunningSimulator::putFile(const std::filesystem::path& relative,
                               const std::string& content) const {
    const std::filesystem::path target = sdCard_ / relative;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace kyrvana::test_support
