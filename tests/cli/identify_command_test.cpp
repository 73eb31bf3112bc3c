// Runs the built kyrvana-cli against a simulated stimulator that is plugged
// into a temporary sysfs tree, as a real one appears under /sys and /dev.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "core/device/device_link.h"
#include "kyrvana/project_identity.h"
#include "support/cli_runner.h"
#include "support/published_port.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

using test_support::CliRun;

sim::SimulatorOptions q3WithFirmware(const std::string& firmware) {
    sim::SimulatorOptions options;
    options.hardwareType = kHardwareTypeQ3;
    options.firmwareRevision = firmware;
    return options;
}

// Root may open any port, so a test of a port the user may not open runs
// the tool as "nobody" then (`folders` must let it look inside); otherwise
// it closes the port to its owner.
std::string launcherWithoutAccessTo(const std::string& port,
                                    std::initializer_list<fs::path> folders) {
    if (::geteuid() != 0) {
        EXPECT_EQ(::chmod(port.c_str(), 0), 0);
        return "";
    }
    for (const fs::path& folder : folders) {
        fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    return "setpriv --reuid=65534 --regid=65534 --clear-groups";
}

class CliDeviceTest : public testing::Test {
  protected:
    // Runs kyrvana-cli with short waits and the arguments (quoted for the
    // shell), finding ports under the private sysfs tree.
    CliRun run(const std::string& arguments, const std::string& launcher = "") const {
        return test_support::runCli(KYRVANA_CLI_PATH,
                                    "--settle-ms 0 --timeout 1000 --sysfs-root " +
                                        test_support::shellQuoted(port_.root().string()) + " " +
                                        arguments,
                                    folder_, launcher);
    }
    std::string devicePath() const { return port_.devicePath().string(); }

    test_support::TemporaryFolder folder_;
    test_support::PublishedPort port_;
};

TEST_F(CliDeviceTest, IdentifyPrintsTheDeviceFoundUnderTheRoot) {
    test_support::RunningSimulator device(q3WithFirmware("4.60"));
    port_.plug(device);

    const CliRun result = run("identify");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string expected =
        "Port\t" + devicePath() +
        "\n"
        "Revision 0\tKyrvana Q3 Cell Stimulator\n"
        "Revision 1\tController 6-axis, S/N KYRSIM0001\n"
        "Revision 2\tFirmware REV 4.60\n"
        "Revision 3\tHardware = 2.00\n"
        "Model\tKyrvana Q3\n"
        "Hardware type\t2\n"
        "Hardware revision\t2\n"
        "Firmware revision\t4.60\n"
        "Test name\tTest\n"
        "Test number\t0001\n"
        "Well\tFull scale load (N)\tLoad cell gain\tLoad cell zero\tum per microstep\n"
        "1\t111\t0.00346875\t32712\t0.15625\n"
        "2\t111\t0.00346875\t32745\t0.15625\n"
        "3\t111\t0.00346875\t32790\t0.15625\n"
        "4\t111\t0.00346875\t32731\t0.15625\n"
        "5\t111\t0.00346875\t32802\t0.15625\n"
        "6\t111\t0.00346875\t32766\t0.15625\n";
    EXPECT_EQ(result.out, expected);

    // With -v the message log goes to standard error; standard output stays data.
    const CliRun verbose = run("-v identify");
    EXPECT_EQ(verbose.out, expected);
    EXPECT_NE(verbose.err.find("\nFirmware REV 4.60\n"), std::string::npos) << verbose.err;
}

// The gates themselves are the core's; the tool fails with their message.
TEST_F(CliDeviceTest, IdentifyFailsWithTheProgramsMessage) {
    const struct {
        const char* firmware;  // nullptr: nothing plugged in
        const char* said;
    } cases[] = {
        {"4.58", "This software requires firmware Rev 4.59 or higher\n"},
        {nullptr,
         "Orvenda Device Not Detected\nPlease ensure that the device is powered on\nand all "
         "cables are properly connected\n"},
    };
    for (const auto& c : cases) {
        test_support::RunningSimulator device(q3WithFirmware(c.firmware ? c.firmware : "4.60"));
        if (c.firmware) {
            port_.plug(device);
        }
        const CliRun result = run("identify");
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        port_.unplug();
    }
}

// Root may open any port, so as root the tool runs as "nobody" to be denied
// it; otherwise the port is closed to its owner.
TEST_F(CliDeviceTest, PortsMarksTheStimulatorAndWhetherThisUserMayOpenIt) {
    test_support::RunningSimulator device;
    port_.plug(device);
    sim::SysfsPortOptions otherOptions;
    otherOptions.vendorId = "0403";
    otherOptions.productId = "6001";
    otherOptions.serial = "FT1";
    otherOptions.product = "";
    otherOptions.ttyName = "ttyUSB0";
    otherOptions.usbPort = "1-3";
    sim::SysfsPortPublisher other(otherOptions);
    std::string error;
    ASSERT_TRUE(other.publish(port_.root(), device.portPath(), &error)) << error;
    const std::string stimulator =
        devicePath() + "\tKyrvana Stimulator\tUSB\\VID_03EB&PID_2404\\KYRSIM0001\tstimulator";
    const std::string otherLine =
        (port_.root() / "dev" / "ttyUSB0").string() + "\tcdc_acm\tUSB\\VID_0403&PID_6001\\FT1\t-\n";

    const CliRun result = run("ports");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, stimulator + "\n" + otherLine);

    // What to do: the udev rule and the command that applies it.
    const CliRun denied = run("ports", launcherWithoutAccessTo(device.portPath(), {port_.root()}));
    EXPECT_EQ(denied.exitStatus, 0) << denied.err;
    EXPECT_EQ(denied.out, stimulator + " (no access)\n" + otherLine);
    EXPECT_NE(denied.err.find(kUdevRulePath), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find(kUdevApplyCommand), std::string::npos) << denied.err;
    // The port was not opened: opening restarts a real stimulator.
    EXPECT_TRUE(device.sim().receivedCommands().empty());
}

// Why the port could not be used is said on standard error without -v,
// besides the program's own message (each cause's explanation is the core's).
TEST_F(CliDeviceTest, APortThatCannotBeUsedIsExplained) {
    test_support::RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    DeviceLink holder;
    holder.portName = device.portPath();
    ASSERT_EQ(holder.OpenPort(), SerialOk);
    test_support::RunningSimulator forbidden;
    ASSERT_TRUE(forbidden.ok()) << forbidden.error();
    const std::string launcher = launcherWithoutAccessTo(forbidden.portPath(), {folder_.path()});
    const struct {
        std::string port;
        std::string launcher;
        std::string explanation;
    } cases[] = {
        {device.portPath(), "", " is in use by another program: close that program"},
        {forbidden.portPath(), launcher,
         std::string(" Install Kyrvana's udev rule (") + kUdevRulePath},
    };
    for (const auto& c : cases) {
        const CliRun result = run("--port '" + c.port + "' identify", c.launcher);
        EXPECT_EQ(result.exitStatus, 1) << c.port;
        EXPECT_EQ(result.err.rfind("Orvenda Device Not Detected\n", 0), 0u) << result.err;
        const std::size_t said = result.err.find("\nkyrvana-cli: ");
        ASSERT_NE(said, std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.port, said), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.explanation, said), std::string::npos) << result.err;
    }
    EXPECT_TRUE(device.sim().receivedCommands().empty());
}

}  // namespace
}  // namespace kyrvana
