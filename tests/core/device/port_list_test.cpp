#include "core/device/port_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

// A temporary sysfs tree shaped as the kernel makes it: device folders under
// sys/devices, a tty folder below its device with a relative `device` link,
// the class entry as a relative link, and a node under dev/. The tree's root
// is one level below the temporary folder, so that there is an "outside".
class FakeSysfs {
  public:
    FakeSysfs() {
        fs::create_directories(root() / "sys" / "class" / "tty");
        fs::create_directories(root() / "dev");
    }
    fs::path root() const { return temp_.path() / "root"; }
    fs::path outside() const { return temp_.path() / "outside"; }
    fs::path devices() const { return root() / "sys" / "devices"; }
    fs::path usbBus() const { return devices() / "pci0000:00" / "0000:00:14.0" / "usb1"; }
    fs::path classEntry(const std::string& tty) const {
        return root() / "sys" / "class" / "tty" / tty;
    }
    fs::path deviceNode(const std::string& tty) const { return root() / "dev" / tty; }

    fs::path folder(const fs::path& path) const {
        fs::create_directories(path);
        return path;
    }
    void file(const fs::path& path, const std::string& text) const {
        fs::remove(path);
        std::ofstream(path) << text << '\n';
    }
    void link(const fs::path& path, const fs::path& target) const {
        fs::remove(path);
        fs::create_symlink(target, path);
    }

    // A USB device below the bus (e.g. "1-2") with its identifier files.
    fs::path usbDevice(const std::string& busPath, const std::string& vendor,
                       const std::string& product, const std::string& serial) const {
        const fs::path device = folder(usbBus() / busPath);
        file(device / "idVendor", vendor);
        file(device / "idProduct", product);
        file(device / "serial", serial);
        return device;
    }

    // The tty whose device folder is `device`; returns the tty's own folder.
    fs::path tty(const std::string& name, const fs::path& device) const {
        const fs::path ttyFolder = folder(device / "tty" / name);
        link(ttyFolder / "device", fs::path("../../..") / device.filename());
        link(classEntry(name), ttyFolder.lexically_relative(classEntry(name).parent_path()));
        file(deviceNode(name), "");
        return ttyFolder;
    }

  private:
    test_support::TemporaryFolder temp_;
};

// ---------------------------------------------------------------------------
// A plugged-in stimulator as different machines show it: the hub above it
// with identifiers of its own, no serial number, no product string.

struct TreeCase {
    const char* name;
    // Gets the tree and the USB device folder.
    std::function<void(const FakeSysfs&, const fs::path&)> change;
    const char* description;
    const char* hardwareId;
};

std::ostream& operator<<(std::ostream& out, const TreeCase& c) {
    return out << c.name;
}

class StimulatorTreeTest : public testing::TestWithParam<TreeCase> {};

TEST_P(StimulatorTreeTest, NamesTheStimulatorFromWhatTheTreeHolds) {
    const FakeSysfs tree;
    const fs::path device = tree.usbDevice("1-2", "03eb", "2404", "ABC123");
    tree.file(device / "product", "Kyrvana Stimulator");
    tree.tty("ttyACM0", tree.folder(device / "1-2:1.0"));
    GetParam().change(tree, device);

    const std::vector<PortInfo> ports = listUsbSerialPorts(tree.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, tree.deviceNode("ttyACM0").string());
    EXPECT_EQ(ports[0].description, GetParam().description);
    EXPECT_EQ(ports[0].hardwareId, GetParam().hardwareId);
}

using Tree = const FakeSysfs&;
using Path = const fs::path&;
const char* const kStimulatorId = "USB\\VID_03EB&PID_2404\\ABC123";

const TreeCase kTreeCases[] = {
    {"AsPlugged", [](Tree, Path) {}, "Kyrvana Stimulator", kStimulatorId},
    {"NearestUsbAncestorIsTheDevice",
     [](Tree t, Path) {
         t.file(t.usbBus() / "idVendor", "1d6b");  // the root hub
         t.file(t.usbBus() / "idProduct", "0002");
     },
     "Kyrvana Stimulator", kStimulatorId},
    {"NoSerialNumberGivesTheBusPath", [](Tree, Path d) { fs::remove(d / "serial"); },
     "Kyrvana Stimulator", "USB\\VID_03EB&PID_2404\\1-2"},
    {"NoProductStringGivesTheDriverName",
     [](Tree t, Path d) {
         fs::remove(d / "product");
         t.link(d / "1-2:1.0" / "driver", "../../../../../../bus/usb/drivers/cdc_acm");
     },
     "cdc_acm", kStimulatorId},
};

INSTANTIATE_TEST_SUITE_P(Trees, StimulatorTreeTest, testing::ValuesIn(kTreeCases),
                         [](const testing::TestParamInfo<TreeCase>& param) {
                             return param.param.name;
                         });

// ---------------------------------------------------------------------------

TEST(PortListTest, ListsOnlyPortsWithAUsbParent) {
    const FakeSysfs tree;
    // An on-board UART and a virtual console: terminals, but not USB ports.
    tree.tty("ttyS0", tree.folder(tree.devices() / "platform" / "serial8250" / "serial8250:0.0"));
    tree.folder(tree.devices() / "virtual" / "tty" / "tty0");
    tree.link(tree.classEntry("tty0"), "../../devices/virtual/tty/tty0");
    tree.file(tree.deviceNode("tty0"), "");
    // A usb-serial adapter: its tty hangs one folder below the interface.
    const fs::path adapter = tree.usbDevice("1-3", "0403", "6001", "A50285BI");
    tree.tty("ttyUSB0", tree.folder(adapter / "1-3:1.0" / "ttyUSB0"));

    const std::vector<PortInfo> ports = listUsbSerialPorts(tree.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, tree.deviceNode("ttyUSB0").string());
    EXPECT_EQ(ports[0].hardwareId, "USB\\VID_0403&PID_6001\\A50285BI");
    EXPECT_FALSE(isStimulatorPort(ports[0]));
}

TEST(PortListTest, OrdersByNumberAndDetectsTheFirstStimulator) {
    const FakeSysfs tree;
    const struct {
        const char* tty;
        const char* busPath;
        const char* vendor;
        const char* product;
    } plugged[] = {{"ttyUSB0", "1-1", "0403", "6001"},
                   {"ttyACM10", "1-2", "03eb", "2404"},
                   {"ttyACM0", "1-3", "03eb", "2405"},  // the maker's other product
                   {"ttyACM2", "1-4", "03eb", "2404"},
                   {"ttyACM1", "1-5", "10c4", "2404"}};  // another maker, same number
    for (const auto& p : plugged) {
        const fs::path device = tree.usbDevice(p.busPath, p.vendor, p.product, p.tty);
        tree.tty(p.tty, tree.folder(device / (std::string(p.busPath) + ":1.0")));
    }

    const std::vector<PortInfo> ports = listUsbSerialPorts(tree.root());
    std::vector<std::string> names;
    for (const PortInfo& port : ports) {
        names.push_back(fs::path(port.portName).filename().string());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"ttyACM0", "ttyACM1", "ttyACM2", "ttyACM10", "ttyUSB0"}));
    ASSERT_EQ(ports.size(), 5u);
    EXPECT_EQ(ports[1].hardwareId, "USB\\VID_10C4&PID_2404\\ttyACM1");
    EXPECT_EQ(findStimulatorPort(ports), std::optional<std::size_t>(2));
}

TEST(PortListTest, MissingTreesGiveNoPorts) {
    const FakeSysfs tree;
    const fs::path classFolder = tree.root() / "sys" / "class" / "tty";
    EXPECT_TRUE(listUsbSerialPorts(tree.outside()).empty());
    fs::remove(classFolder);
    EXPECT_TRUE(listUsbSerialPorts(tree.root()).empty());
}

}  // namespace
}  // namespace kyrvana
