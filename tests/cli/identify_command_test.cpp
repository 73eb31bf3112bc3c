// Runs the built kyrvana-cli against a simulated stimulator that is plugged
// into a temporary sysfs tree, as a real one appears under /sys and /dev.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

// Root may open any port, so as root the tool runs as "nobody" (the sysfs
// tree under `root` must let it look inside); otherwise the port is closed
// to its owner.
std::string launcherWithoutAccessTo(const std::string& port, const fs::path& root) {
    if (::geteuid() != 0) {
        EXPECT_EQ(::chmod(port.c_str(), 0), 0);
        return "";
    }
    fs::permissions(root, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
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

// The identity is read and checked by the core; the tool prints it as
// "key<TAB>value" lines and one row per well, and refuses firmware that is too
// old with the program's message.
TEST_F(CliDeviceTest, IdentifyPrintsTheDeviceFoundUnderTheRoot) {
    test_support::RunningSimulator device(q3WithFirmware("4.60"));
    port_.plug(device);

    const CliRun result = run("identify");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string& out = result.out;
    EXPECT_TRUE(
        out.starts_with("Port\t" + devicePath() + "\nRevision 0\tKyrvana Q3 Cell Stimulator\n"))
        << out;
    // The revisions' lines share one format; every other line is checked.
    EXPECT_NE(out.find("\nModel\tKyrvana Q3\nHardware type\t2\nHardware revision\t2\n"
                       "Firmware revision\t4.60\nTest name\tTest\nTest number\t0001\nWell\t"),
              std::string::npos)
        << out;
    // Each well's own zero: a row printed from another well's values shows.
    EXPECT_TRUE(
        out.ends_with("\n5\t111\t0.00346875\t32802\t0.15625\n"
                      "6\t111\t0.00346875\t32766\t0.15625\n"))
        << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 18) << out;

    // With -v the message log goes to standard error; standard output stays data.
    const CliRun verbose = run("-v identify");
    EXPECT_EQ(verbose.out, out);
    EXPECT_NE(verbose.err.find("\nFirmware REV 4.60\n"), std::string::npos) << verbose.err;

    test_support::RunningSimulator old(q3WithFirmware("4.58"));
    port_.unplug();
    port_.plug(old);
    const CliRun refused = run("identify");
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("This software requires firmware Rev 4.59 or higher\n"),
              std::string::npos)
        << refused.err;
}

// Which ports are the stimulator's is the core's; the tool marks them, and
// one this user may not open is marked and explained without opening it.
TEST_F(CliDeviceTest, PortsMarksTheStimulatorAndWhetherThisUserMayOpenIt) {
    test_support::RunningSimulator device;
    port_.plug(device);
    const std::string stimulator =
        devicePath() + "\tKyrvana Stimulator\tUSB\\VID_03EB&PID_2404\\KYRSIM0001\tstimulator";

    const CliRun result = run("ports");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, stimulator + "\n");

    // What to do: the udev rule and the command that applies it.
    const CliRun denied = run("ports", launcherWithoutAccessTo(device.portPath(), port_.root()));
    EXPECT_EQ(denied.exitStatus, 0) << denied.err;
    EXPECT_EQ(denied.out, stimulator + " (no access)\n");
    EXPECT_NE(denied.err.find(kUdevRulePath), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find(kUdevApplyCommand), std::string::npos) << denied.err;
    // The port was not opened: opening restarts a real stimulator.
    EXPECT_TRUE(device.sim().receivedCommands().empty());
}

// A port another program holds: besides the program's own message, the tool
// says why on standard error without -v (the explanation of each cause is
// the core's).
TEST_F(CliDeviceTest, APortInUseIsExplained) {
    test_support::RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    DeviceLink holder;
    holder.portName = device.portPath();
    ASSERT_EQ(holder.OpenPort(), SerialOk);

    const CliRun result = run("--port '" + device.portPath() + "' identify");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.err.starts_with("Orvenda Device Not Detected\n")) << result.err;
    EXPECT_NE(result.err.find("\nkyrvana-cli: The serial port " + device.portPath() +
                              " is in use by another program"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(device.sim().receivedCommands().empty());
}

}  // namespace
}  // namespace kyrvana
