#include "core/device/port_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
// A plugged-in stimulator, its tree then spoiled in one way: is it still
// listed, and as what?

struct SpoilCase {
    const char* name;
    // Gets the tree, the USB device folder and the tty's folder.
    std::function<void(const FakeSysfs&, const fs::path&, const fs::path&)> spoil;
    const char* description;
    const char* hardwareId;  // nullptr: the port is not listed
};

std::ostream& operator<<(std::ostream& out, const SpoilCase& c) {
    return out << c.name;
}

class SpoiledTreeTest : public testing::TestWithParam<SpoilCase> {};

TEST_P(SpoiledTreeTest, ListsTheStimulatorOnlyWhenItsEntryIsWhole) {
    const FakeSysfs tree;
    const fs::path device = tree.usbDevice("1-2", "03eb", "2404", "ABC123");
    tree.file(device / "product", "Kyrvana Stimulator");
    const fs::path ttyFolder = tree.tty("ttyACM0", tree.folder(device / "1-2:1.0"));
    GetParam().spoil(tree, device, ttyFolder);

    const std::vector<PortInfo> ports = listUsbSerialPorts(tree.root());

    if (GetParam().hardwareId == nullptr) {
        EXPECT_TRUE(ports.empty()) << ports.front().hardwareId;
        return;
    }
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, tree.deviceNode("ttyACM0").string());
    EXPECT_EQ(ports[0].description, GetParam().description);
    EXPECT_EQ(ports[0].hardwareId, GetParam().hardwareId);
}

using Tree = const FakeSysfs&;
using Path = const fs::path&;
const char* const kStimulatorId = "USB\\VID_03EB&PID_2404\\ABC123";

const SpoilCase kSpoilCases[] = {
    {"AsPlugged", [](Tree, Path, Path) {}, "Kyrvana Stimulator", kStimulatorId},
    {"NearestUsbAncestorIsTheDevice",
     [](Tree t, Path, Path) {
         t.file(t.usbBus() / "idVendor", "1d6b");  // the root hub
         t.file(t.usbBus() / "idProduct", "0002");
     },
     "Kyrvana Stimulator", kStimulatorId},
    {"NoSerialNumberGivesTheBusPath", [](Tree, Path d, Path) { fs::remove(d / "serial"); },
     "Kyrvana Stimulator", "USB\\VID_03EB&PID_2404\\1-2"},
    {"NoProductStringGivesTheDriverName",
     [](Tree t, Path d, Path) {
         fs::remove(d / "product");
         t.link(d / "1-2:1.0" / "driver", "../../../../../../bus/usb/drivers/cdc_acm");
     },
     "cdc_acm", kStimulatorId},

    {"BrokenDeviceLink", [](Tree t, Path, Path y) { t.link(y / "device", "../../../1-9:1.0"); }, "",
     nullptr},
    {"DeviceOutsideTheTree",  // a fake tree never borrows another tree's devices
     [](Tree t, Path, Path y) {
         const fs::path elsewhere = t.folder(t.outside() / "1-2" / "1-2:1.0");
         t.file(elsewhere.parent_path() / "idVendor", "03eb");
         t.file(elsewhere.parent_path() / "idProduct", "2404");
         t.link(y / "device", elsewhere);
     },
     "", nullptr},
    {"IdVendorIsAFifoAndDoesNotBlock",
     [](Tree, Path d, Path) {
         fs::remove(d / "idVendor");
         ASSERT_EQ(::mkfifo((d / "idVendor").c_str(), 0644), 0);
     },
     "", nullptr},
    {"IdVendorNotHex", [](Tree t, Path d, Path) { t.file(d / "idVendor", "03eg"); }, "", nullptr},
    {"IdProductMissingIsNotTakenFromTheHub",
     [](Tree t, Path d, Path) {
         t.file(t.usbBus() / "idVendor", "1d6b");
         t.file(t.usbBus() / "idProduct", "0002");
         fs::remove(d / "idProduct");
     },
     "", nullptr},
    {"DeviceNodeLeadsNowhere",  // the pseudo-terminal behind it is gone
     [](Tree t, Path, Path) { t.link(t.deviceNode("ttyACM0"), t.outside() / "pts-gone"); }, "",
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(Trees, SpoiledTreeTest, testing::ValuesIn(kSpoilCases),
                         [](const testing::TestParamInfo<SpoilCase>& param) {
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
                   {"ttyACM1", "1-5", "10c4", "ea60"}};
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
    EXPECT_EQ(ports[1].hardwareId, "USB\\VID_10C4&PID_EA60\\ttyACM1");
    EXPECT_EQ(findStimulatorPort(ports), std::optional<std::size_t>(2));
}

TEST(PortListTest, MissingTreesGiveNoPorts) {
    const FakeSysfs tree;
    const fs::path classFolder = tree.root() / "sys" / "class" / "tty";
    EXPECT_TRUE(listUsbSerialPorts(tree.outside()).empty());
    fs::remove(classFolder);
    EXPECT_TRUE(listUsbSerialPorts(tree.root()).empty());
    tree.file(classFolder, "a file where the class folder belongs");
    EXPECT_TRUE(listUsbSerialPorts(tree.root()).empty());
}

// ---------------------------------------------------------------------------

struct OrderCase {
    const char* left;
    const char* right;
    bool less;
};

class PortNameOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(PortNameOrderTest, ComparesDigitRunsAsNumbers) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(portNameLess(c.left, c.right), c.less) << c.left << " < " << c.right;
    if (c.less) {
        EXPECT_FALSE(portNameLess(c.right, c.left)) << c.right << " < " << c.left;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortNameOrderTest,
    testing::Values(OrderCase{"/dev/ttyACM2", "/dev/ttyACM10", true},
                    OrderCase{"/dev/ttyACM9", "/dev/ttyUSB0", true},
                    OrderCase{"/dev/ttyACM1", "/dev/ttyACM1", false},
                    OrderCase{"ttyACM", "ttyACM0", true}, OrderCase{"a1b9", "a01b10", true},
                    OrderCase{"ttyACM02", "ttyACM2", true},  // equal numbers: the text decides
                    OrderCase{"ttyACM2", "ttyACM010", true},
                    // Runs longer than any integer type.
                    OrderCase{"tty99999999999999999999", "tty100000000000000000000", true},
                    OrderCase{"tty100000000000000000001", "tty100000000000000000000", false}));

// The maker's vendor and the stimulator's product, both, in the form the
// list gives them (a revision may follow, as on Windows); the first such port
// wins.
TEST(PortListTest, AStimulatorIsKnownByBothIdentifiers) {
    const struct {
        const char* hardwareId;
        bool stimulator;
    } cases[] = {
        {"USB\\VID_03EB&PID_2404\\1", true},  {"USB\\VID_03EB&PID_2404&REV_0100", true},
        {"USB\\VID_03EB&PID_2405\\1", false}, {"USB\\VID_03EC&PID_2404\\1", false},
        {"USB\\vid_03eb&pid_2404\\1", false},  // case matters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isStimulatorPort(PortInfo{"/dev/ttyACM0", "", c.hardwareId}), c.stimulator)
            << c.hardwareId;
    }
    EXPECT_EQ(findStimulatorPort({}), std::nullopt);
}

}  // namespace
}  // namespace kyrvana
