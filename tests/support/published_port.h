#pragma once

// A private sysfs tree in a temporary folder, into which a simulated
// stimulator is plugged and from which it is unplugged, as a USB device
// appears under /sys and /dev on a real system. Discovery is pointed at
// root().

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "sim/sysfs_port_publisher.h"
#include "support/sim_fixture.h"
#include "support/temporary_folder.h"

namespace kyrvana::test_support {

class PublishedPort {
  public:
    explicit PublishedPort(sim::SysfsPortOptions options = {}) : publisher_(std::move(options)) {}
    ~PublishedPort() { publisher_.unpublish(); }
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;

    const std::filesystem::path& root() const { return folder_.path(); }
    // The device path discovery finds for the plugged-in simulator.
    std::filesystem::path devicePath() const {
        return root() / "dev" / publisher_.options().ttyName;
    }

    void plug(const RunningSimulator& device) {
        ASSERT_TRUE(device.ok()) << device.error();
        std::string error;
        ASSERT_TRUE(publisher_.publish(root(), device.portPath(), &error)) << error;
    }
    void unplug() { publisher_.unpublish(); }

  private:
    TemporaryFolder folder_;
    sim::SysfsPortPublisher publisher_;
};

}  // namespace kyrvana::test_support
