#include "sim/sysfs_port_publisher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
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

// A simulator killed while its port was plugged in leaves the tree behind,
// with a device node leading to a pseudo-terminal number that another program
// may be given next. The next simulator replaces such a port.
TEST_F(PublisherTest, PortLeftBehindByAGonePublisherIsReplaced) {
    const fs::path oldTerminal = temp_.path() / "pts-3";
    std::ofstream(oldTerminal) << "";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends without unplugging, as a killed simulator does.
        SysfsPortPublisher left;
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
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(fs::canonical(ports[0].portName), fs::canonical(terminal()));
    publisher.unpublish();
    EXPECT_EQ(leftovers(), std::vector<fs::path>{});
}

}  // namespace
}  // namespace kyrvana::sim
