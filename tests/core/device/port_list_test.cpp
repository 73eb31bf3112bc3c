#include "core/device/port_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kyrvana-ports-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Builds sysfs trees shaped as the kernel makes them: device folders under
// sys/devices, a tty folder below its device with a relative `device` link,
// the class entry as a relative link, and a node under dev/.
class FakeSysfs {
  public:
    explicit FakeSysfs(fs::path root) : root_(std::move(root)) {
        fs::create_directories(root_ / "sys" / "class" / "tty");
        fs::create_directories(root_ / "dev");
    }

    const fs::path& root() const { return root_; }
    fs::path devices() const { return root_ / "sys" / "devices"; }
    fs::path usbBus() const { return devices() / "pci0000:00" / "0000:00:14.0" / "usb1"; }

    fs::path folder(const fs::path& path) const {
        fs::create_directories(path);
        return path;
    }
    void file(const fs::path& path, const std::string& text) const {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text << '\n';
    }
    void link(const fs::path& path, const fs::path& target) const {
        fs::create_directories(path.parent_path());
        fs::create_symlink(target, path);
    }

    // A USB device folder below the bus with the given attributes; an empty
    // value leaves the attribute out.
    fs::path usbDevice(const std::string& busPath, const std::string& vendor,
                       const std::string& product, const std::string& serial,
                       const std::string& productName) const {
        const fs::path device = folder(usbBus() / busPath);
        const std::pair<const char*, const std::string*> attributes[] = {{"idVendor", &vendor},
                                                                         {"idProduct", &product},
                                                                         {"serial", &serial},
                                                                         {"product", &productName}};
        for (const auto& [name, value] : attributes) {
            if (!value->empty()) {
                file(device / name, *value);
            }
        }
        return device;
    }

    // The tty `name` whose device is `device`: the folder <device>/tty/<name>,
    // its device link, the class entry and (optionally) the device node.
    fs::path tty(const std::string& name, const fs::path& device, bool deviceNode = true) const {
        const fs::path ttyFolder = folder(device / "tty" / name);
        link(ttyFolder / "device", fs::path("../../..") / device.filename());
        link(classEntry(name), ttyFolder.lexically_relative(root_ / "sys" / "class" / "tty"));
        if (deviceNode) {
            file(root_ / "dev" / name, "");
        }
        return ttyFolder;
    }

    fs::path classEntry(const std::string& name) const {
        return root_ / "sys" / "class" / "tty" / name;
    }
    std::string portName(const std::string& name) const { return (root_ / "dev" / name).string(); }

  private:
    fs::path root_;
};

// ---------------------------------------------------------------------------
// One terminal per tree: is it listed, and as what?

struct TtyCase {
    const char* name;
    std::function<void(const FakeSysfs&)> build;
    bool listed;
    const char* description = "";
    const char* hardwareId = "";
};

std::ostream& operator<<(std::ostream& out, const TtyCase& c) {
    return out << c.name;
}

class SingleTtyTest : public testing::TestWithParam<TtyCase> {};

TEST_P(SingleTtyTest, ListsOnlyReadableUsbPorts) {
    TempFolder temp;
    const FakeSysfs tree(temp.path() / "root");
    GetParam().build(tree);

    const std::vector<PortInfo> ports = listUsbSerialPorts(tree.root());

    if (!GetParam().listed) {
        EXPECT_TRUE(ports.empty()) << ports.front().portName;
        return;
    }
    ASSERT_EQ(ports.size(), 1u);
    const std::string ttyName = fs::path(ports[0].portName).filename().string();
    EXPECT_EQ(ports[0].portName, tree.portName(ttyName));
    EXPECT_EQ(ports[0].description, GetParam().description);
    EXPECT_EQ(ports[0].hardwareId, GetParam().hardwareId);
}

fs::path acmInterface(const FakeSysfs& t, const std::string& serial = "ABC123",
                      const std::string& productName = "Kyrvana Stimulator") {
    return t.folder(t.usbDevice("1-2", "03eb", "2404", serial, productName) / "1-2:1.0");
}

const TtyCase kTtyCases[] = {
    {"CdcAcmPort", [](const FakeSysfs& t) { t.tty("ttyACM0", acmInterface(t)); }, true,
     "Kyrvana Stimulator", "USB\\VID_03EB&PID_2404\\ABC123"},
    {"UsbSerialAdapterTwoLevelsBelowTheDevice",
     [](const FakeSysfs& t) {
         const fs::path device = t.usbDevice("1-3", "0403", "6001", "A50285BI", "FT232R USB UART");
         t.tty("ttyUSB0", t.folder(device / "1-3:1.0" / "ttyUSB0"));
     },
     true, "FT232R USB UART", "USB\\VID_0403&PID_6001\\A50285BI"},
    {"HexDigitsInUpperCase",
     [](const FakeSysfs& t) {
         t.tty("ttyUSB0",
               t.folder(t.usbDevice("1-4", "10c4", "ea60", "0001", "CP2102") / "1-4:1.0"));
     },
     true, "CP2102", "USB\\VID_10C4&PID_EA60\\0001"},
    {"NearestUsbAncestorIsTheDevice",
     [](const FakeSysfs& t) {
         t.file(t.usbBus() / "idVendor", "1d6b");  // the root hub
         t.file(t.usbBus() / "idProduct", "0002");
         t.tty("ttyACM0", acmInterface(t));
     },
     true, "Kyrvana Stimulator", "USB\\VID_03EB&PID_2404\\ABC123"},
    {"NoSerialNumberUsesTheBusPath",
     [](const FakeSysfs& t) { t.tty("ttyACM0", acmInterface(t, "")); }, true, "Kyrvana Stimulator",
     "USB\\VID_03EB&PID_2404\\1-2"},
    {"UnreadableSerialNumberUsesTheBusPath",
     [](const FakeSysfs& t) {
         const fs::path interface = acmInterface(t, "");
         t.folder(interface.parent_path() / "serial");
         t.tty("ttyACM0", interface);
     },
     true, "Kyrvana Stimulator", "USB\\VID_03EB&PID_2404\\1-2"},
    {"NoProductStringUsesTheDriverName",
     [](const FakeSysfs& t) {
         const fs::path interface = acmInterface(t, "ABC123", "");
         t.link(interface / "driver", "../../../../../../bus/usb/drivers/cdc_acm");
         t.tty("ttyACM0", interface);
     },
     true, "cdc_acm", "USB\\VID_03EB&PID_2404\\ABC123"},
    {"NoProductStringNoDriverLeavesDescriptionEmpty",
     [](const FakeSysfs& t) { t.tty("ttyACM0", acmInterface(t, "ABC123", "")); }, true, "",
     "USB\\VID_03EB&PID_2404\\ABC123"},

    {"PlatformUartWithoutUsbParent",
     [](const FakeSysfs& t) {
         t.tty("ttyS0", t.folder(t.devices() / "platform" / "serial8250" / "serial8250:0" /
                                 "serial8250:0.0"));
     },
     false},
    {"VirtualTerminalWithoutDeviceLink",
     [](const FakeSysfs& t) {
         t.folder(t.devices() / "virtual" / "tty" / "tty0");
         t.link(t.classEntry("tty0"), "../../devices/virtual/tty/tty0");
         t.file(t.root() / "dev" / "tty0", "");
     },
     false},
    {"BrokenDeviceLink",
     [](const FakeSysfs& t) {
         const fs::path ttyFolder = t.tty("ttyACM0", acmInterface(t));
         fs::remove(ttyFolder / "device");
         t.link(ttyFolder / "device", "../../../1-9:1.0");
     },
     false},
    {"DeviceLinkLoop",
     [](const FakeSysfs& t) {
         const fs::path ttyFolder = t.tty("ttyACM0", acmInterface(t));
         fs::remove(ttyFolder / "device");
         t.link(ttyFolder / "device", "loop");
         t.link(ttyFolder / "loop", "device");
     },
     false},
    {"BrokenClassEntry",
     [](const FakeSysfs& t) {
         t.link(t.classEntry("ttyACM0"), "../../devices/gone/tty/ttyACM0");
         t.file(t.root() / "dev" / "ttyACM0", "");
     },
     false},
    {"DeviceOutsideTheTree",
     [](const FakeSysfs& t) {
         // An absolute link to a USB-looking folder beside the root.
         const fs::path elsewhere =
             t.folder(t.root().parent_path() / "elsewhere" / "1-2" / "1-2:1.0");
         t.file(elsewhere.parent_path() / "idVendor", "03eb");
         t.file(elsewhere.parent_path() / "idProduct", "2404");
         const fs::path ttyFolder = t.tty("ttyACM0", acmInterface(t));
         fs::remove(ttyFolder / "device");
         t.link(ttyFolder / "device", elsewhere);
     },
     false},
    {"IdVendorIsAFolder",
     [](const FakeSysfs& t) {
         const fs::path interface = acmInterface(t);
         fs::remove(interface.parent_path() / "idVendor");
         t.folder(interface.parent_path() / "idVendor");
         t.tty("ttyACM0", interface);
     },
     false},
    {"IdVendorIsAFifoAndDoesNotBlock",
     [](const FakeSysfs& t) {
         const fs::path interface = acmInterface(t);
         fs::remove(interface.parent_path() / "idVendor");
         ASSERT_EQ(::mkfifo((interface.parent_path() / "idVendor").c_str(), 0644), 0);
         t.tty("ttyACM0", interface);
     },
     false},
    {"IdVendorNotHex",
     [](const FakeSysfs& t) {
         const fs::path interface = acmInterface(t);
         fs::remove(interface.parent_path() / "idVendor");
         t.file(interface.parent_path() / "idVendor", "03eg");
         t.tty("ttyACM0", interface);
     },
     false},
    {"IdProductMissingIsNotBorrowedFromTheHub",
     [](const FakeSysfs& t) {
         t.file(t.usbBus() / "idVendor", "1d6b");
         t.file(t.usbBus() / "idProduct", "0002");
         const fs::path device = t.usbDevice("1-2", "03eb", "", "ABC123", "Kyrvana Stimulator");
         t.tty("ttyACM0", t.folder(device / "1-2:1.0"));
     },
     false},
    {"NoDeviceNode", [](const FakeSysfs& t) { t.tty("ttyACM0", acmInterface(t), false); }, false},
    {"DeviceNodeLeadsNowhere",  // the pseudo-terminal behind it is gone
     [](const FakeSysfs& t) {
         t.tty("ttyACM0", acmInterface(t), false);
         t.link(t.root() / "dev" / "ttyACM0", "/dev/pts/kyrvana-gone");
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Trees, SingleTtyTest, testing::ValuesIn(kTtyCases),
                         [](const testing::TestParamInfo<TtyCase>& param) {
                             return param.param.name;
                         });

TEST(PortListTest, MissingTreesGiveNoPorts) {
    TempFolder temp;
    EXPECT_TRUE(listUsbSerialPorts(temp.path() / "absent").empty());
    fs::create_directories(temp.path() / "sys");
    EXPECT_TRUE(listUsbSerialPorts(temp.path()).empty());  // no class/tty folder
    fs::create_directories(temp.path() / "sys" / "class");
    std::ofstream(temp.path() / "sys" / "class" / "tty") << "not a folder\n";
    EXPECT_TRUE(listUsbSerialPorts(temp.path()).empty());
}

TEST(PortListTest, OrdersNamesWithNumbersComparedAsNumbers) {
    TempFolder temp;
    const FakeSysfs tree(temp.path());
    int busPort = 1;
    for (const char* name : {"ttyUSB0", "ttyACM10", "ttyACM2", "ttyACM1"}) {
        const std::string usbPort = cFormat("1-%d", busPort++);
        const fs::path device = tree.usbDevice(usbPort, "03eb", "2404", name, "");
        tree.tty(name, tree.folder(device / (usbPort + ":1.0")));
    }

    std::vector<std::string> names;
    for (const PortInfo& port : listUsbSerialPorts(temp.path())) {
        names.push_back(fs::path(port.portName).filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM1", "ttyACM2", "ttyACM10", "ttyUSB0"}));
}

TEST(PortListTest, FirstStimulatorInNameOrderIsDetected) {
    TempFolder temp;
    const FakeSysfs tree(temp.path());
    const auto plug = [&tree](const std::string& tty, const std::string& usbPort,
                              const std::string& product) {
        const fs::path device = tree.usbDevice(usbPort, "03eb", product, "S-" + tty, "");
        tree.tty(tty, tree.folder(device / (usbPort + ":1.0")));
    };
    plug("ttyACM10", "1-1", "2404");
    plug("ttyACM0", "1-2", "2405");  // the maker's other product
    plug("ttyACM2", "1-3", "2404");

    const std::vector<PortInfo> ports = listUsbSerialPorts(temp.path());
    const std::optional<std::size_t> found = findStimulatorPort(ports);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(ports[*found].portName, tree.portName("ttyACM2"));
    EXPECT_EQ(ports[*found].hardwareId, "USB\\VID_03EB&PID_2404\\S-ttyACM2");
}

// The real system's tree reads without trouble, whatever it holds.
TEST(PortListTest, ReadsTheSystemTree) {
    for (const PortInfo& port : listUsbSerialPorts()) {
        EXPECT_EQ(port.portName.rfind("/dev/", 0), 0u) << port.portName;
        EXPECT_EQ(port.hardwareId.rfind("USB\\VID_", 0), 0u) << port.hardwareId;
    }
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
                    OrderCase{"/dev/ttyACM10", "/dev/ttyACM2", false},
                    OrderCase{"/dev/ttyACM9", "/dev/ttyUSB0", true},
                    OrderCase{"/dev/ttyACM1", "/dev/ttyACM1", false},
                    OrderCase{"ttyACM", "ttyACM0", true},
                    OrderCase{"ttyACM02", "ttyACM2", true},  // equal numbers: plain text decides
                    OrderCase{"ttyACM2", "ttyACM010", true}, OrderCase{"a1b10", "a1b9", false},
                    OrderCase{"a1b9", "a01b10", true},
                    // Runs longer than any integer type.
                    OrderCase{"tty99999999999999999999", "tty100000000000000000000", true},
                    OrderCase{"tty100000000000000000001", "tty100000000000000000000", false}));

struct DetectCase {
    const char* name;
    std::vector<const char*> hardwareIds;
    int expected;  // index of the stimulator, -1 for none
};

std::ostream& operator<<(std::ostream& out, const DetectCase& c) {
    return out << c.name;
}

class DetectTest : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectTest, FirstPortWithBothIdentifiersWins) {
    std::vector<PortInfo> ports;
    for (const char* id : GetParam().hardwareIds) {
        ports.push_back(PortInfo{cFormat("/dev/ttyACM%zu", ports.size()), "", id});
    }
    const std::optional<std::size_t> found = findStimulatorPort(ports);
    EXPECT_EQ(found ? static_cast<int>(*found) : -1, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DetectTest,
    testing::Values(DetectCase{"NoPorts", {}, -1},
                    DetectCase{"OnlyTheStimulator", {"USB\\VID_03EB&PID_2404\\1"}, 0},
                    DetectCase{"AfterAnotherDevice",
                               {"USB\\VID_0403&PID_6001\\A", "USB\\VID_03EB&PID_2404\\1"},
                               1},
                    DetectCase{"TwoStimulatorsFirstWins",
                               {"USB\\VID_03EB&PID_2404\\1", "USB\\VID_03EB&PID_2404\\2"},
                               0},
                    DetectCase{"SameVendorOtherProduct", {"USB\\VID_03EB&PID_2405\\1"}, -1},
                    DetectCase{"SameProductOtherVendor", {"USB\\VID_03EC&PID_2404\\1"}, -1},
                    DetectCase{"CaseMatters", {"USB\\vid_03eb&pid_2404\\1"}, -1},
                    DetectCase{"WindowsFormWithRevision", {"USB\\VID_03EB&PID_2404&REV_0100"}, 0}),
    [](const testing::TestParamInfo<DetectCase>& param) { return param.param.name; });

}  // namespace
}  // namespace kyrvana
