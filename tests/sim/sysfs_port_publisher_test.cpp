#include "sim/sysfs_port_publisher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/device/port_list.h"
#include "support/temporary_folder.h"

namespace kyrvana::sim {
namespace {

namespace fs = std::filesystem;

// A plain file stands in for the pseudo-terminal: the port list only needs
// the device node to lead somewhere.
class PublisherTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root());
        std::ofstream(terminal()) << "";
    }
    fs::path root() const { return temp_.path() / "root"; }
    fs::path terminal() const { return temp_.path() / "pts-7"; }
    std::vector<fs::path> leftovers() const {
        std::vector<fs::path> entries;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root())) {
            entries.push_back(entry.path());
        }
        return entries;
    }

    test_support::TemporaryFolder temp_;
};

// Published into a root that does not exist yet, the port is listed as the
// stimulator; unplugged, it leaves nothing, not even the folders it made.
TEST_F(PublisherTest, PublishedPortIsFoundAsTheStimulatorAndUnpublishLeavesNothing) {
    const fs::path missing = temp_.path() / "k" / "sysfs";
    SysfsPortPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.publish(missing, terminal().string(), &error)) << error;
    EXPECT_TRUE(publisher.published());

    const std::vector<PortInfo> ports = listUsbSerialPorts(missing);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, (missing / "dev" / "ttyACM0").string());
    EXPECT_EQ(ports[0].hardwareId, "USB\\VID_03EB&PID_2404\\KYRSIM0001");
    EXPECT_EQ(ports[0].description, "Kyrvana Stimulator");
    EXPECT_TRUE(isStimulatorPort(ports[0]));
    EXPECT_EQ(fs::canonical(ports[0].portName), fs::canonical(terminal()));
    // Links relative as the kernel makes them, so the tree can be moved or
    // looked at from inside a container.
    EXPECT_TRUE(fs::read_symlink(missing / "sys" / "class" / "tty" / "ttyACM0").is_relative());

    publisher.unpublish();
    EXPECT_FALSE(publisher.published());
    EXPECT_FALSE(fs::exists(temp_.path() / "k"));
    EXPECT_TRUE(fs::exists(terminal()));
}

// A second port under another name shares the tree; one under a taken name is
// refused and leaves the first alone. The last port to go clears the tree.
TEST_F(PublisherTest, PortsShareTheTreeButNotTheirNames) {
    auto first = std::make_unique<SysfsPortPublisher>();
    ASSERT_TRUE(first->publish(root(), terminal().string()));
    std::string error;
    EXPECT_FALSE(first->publish(root(), terminal().string(), &error));  // already out
    SysfsPortPublisher taken;
    EXPECT_FALSE(taken.publish(root(), terminal().string(), &error));
    EXPECT_NE(error.find("ttyACM0"), std::string::npos) << error;
    EXPECT_FALSE(taken.published());
    EXPECT_FALSE(taken.replacedStale());

    SysfsPortOptions secondOptions;
    secondOptions.ttyName = "ttyACM1";
    secondOptions.usbPort = "1-3";
    secondOptions.serial = "KYRSIM0002";
    SysfsPortPublisher second(secondOptions);
    ASSERT_TRUE(second.publish(root(), terminal().string()));
    EXPECT_EQ(listUsbSerialPorts(root()).size(), 2u);

    first.reset();  // the destructor unplugs; the folders the first one made are shared
    const std::vector<PortInfo> ports = listUsbSerialPorts(root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].hardwareId, "USB\\VID_03EB&PID_2404\\KYRSIM0002");

    second.unpublish();
    EXPECT_EQ(leftovers(), std::vector<fs::path>{});
}

TEST_F(PublisherTest, FailedPublishLeavesNothingBehind) {
    std::ofstream(root() / "dev") << "a file where the dev folder belongs\n";
    SysfsPortPublisher publisher;
    std::string error;
    EXPECT_FALSE(publisher.publish(root(), terminal().string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(publisher.published());
    EXPECT_EQ(leftovers(), std::vector<fs::path>{root() / "dev"});
}

// A simulator killed while its port was plugged in leaves the tree behind,
// with a device node leading to a pseudo-terminal number that another program
// may be given next. The next simulator replaces such a port; entries that no
// live simulator owns but that carry no owner lock are not touched.
TEST_F(PublisherTest, PortLeftBehindByAGonePublisherIsReplaced) {
    const fs::path oldTerminal = temp_.path() / "pts-3";
    std::ofstream(oldTerminal) << "";
    SysfsPortOptions otherUsbPort;
    otherUsbPort.usbPort = "1-4";
    for (const SysfsPortOptions& leftOptions : {SysfsPortOptions{}, otherUsbPort}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Ends without unplugging, as a killed simulator does.
            SysfsPortPublisher left(leftOptions);
            ::_exit(left.publish(root(), oldTerminal.string()) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_EQ(listUsbSerialPorts(root()).size(), 1u);

        SysfsPortPublisher publisher;
        std::string error;
        ASSERT_TRUE(publisher.publish(root(), terminal().string(), &error)) << error;
        EXPECT_TRUE(publisher.replacedStale());
        const std::vector<PortInfo> ports = listUsbSerialPorts(root());
        ASSERT_EQ(ports.size(), 1u) << leftOptions.usbPort;
        EXPECT_EQ(fs::canonical(ports[0].portName), fs::canonical(terminal()));
        publisher.unpublish();
        EXPECT_EQ(leftovers(), std::vector<fs::path>{}) << leftOptions.usbPort;
    }

    fs::create_directories(root() / "dev");
    fs::create_symlink(oldTerminal, root() / "dev" / "ttyACM0");
    SysfsPortPublisher publisher;
    std::string error;
    EXPECT_FALSE(publisher.publish(root(), terminal().string(), &error));
    EXPECT_FALSE(publisher.replacedStale());
    EXPECT_NE(error.find("ttyACM0"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_symlink(root() / "dev" / "ttyACM0"));
}

// Plugging and unplugging while the port list is read: every listing sees the
// whole port or none of it.
TEST_F(PublisherTest, ConcurrentListingNeverSeesHalfAPort) {
    std::atomic<bool> done{false};
    std::thread plugger([this, &done] {
        SysfsPortPublisher publisher;
        for (int round = 0; round < 200; ++round) {
            if (!publisher.publish(root(), terminal().string())) {
                break;
            }
            publisher.unpublish();
        }
        done = true;
    });

    int listings = 0;
    while (!done) {
        const std::vector<PortInfo> ports = listUsbSerialPorts(root());
        ++listings;
        if (ports.empty()) {
            continue;
        }
        EXPECT_EQ(ports.size(), 1u);
        EXPECT_EQ(ports[0].hardwareId, "USB\\VID_03EB&PID_2404\\KYRSIM0001");
        EXPECT_EQ(ports[0].description, "Kyrvana Stimulator");
    }
    plugger.join();
    EXPECT_GT(listings, 0);
    EXPECT_EQ(leftovers(), std::vector<fs::path>{});
}

}  // namespace
}  // namespace kyrvana::sim
