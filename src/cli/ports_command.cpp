#include "cli/ports_command.h"

#include <algorithm>
#include <cstdio>

#include "core/device/port_list.h"
#include "core/device/port_open_problem.h"

namespace kyrvana::cli {
namespace {

// The stimulators among the ports whose port this user may not open.
std::vector<std::string> unusableStimulators(const std::vector<PortInfo>& ports) {
    std::vector<std::string> unusable;
    for (const PortInfo& port : ports) {
        if (isStimulatorPort(port) &&
            portAccessProblem(port.portName) == PortOpenProblem::Permission) {
            unusable.push_back(port.portName);
        }
    }
    return unusable;
}

int runPorts(const CliOptions& options) {
    const std::vector<PortInfo> ports = listUsbSerialPorts(options.sysfsRoot);
    if (ports.empty()) {
        std::fprintf(stderr, "kyrvana-cli: no USB serial ports under %s\n",
                     options.sysfsRoot.c_str());
    }
    const std::vector<std::string> unusable = unusableStimulators(ports);
    const std::string text = portsText(ports, unusable);
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return kExitFailure;
    }
    for (const std::string& portName : unusable) {
        const std::string help =
            portOpenProblemText(PortOpenProblem::Permission, portName, udevRuleInstalled());
        std::fputs(help.c_str(), stderr);
    }
    return kExitSuccess;
}

}  // namespace

std::string portsText(const std::vector<PortInfo>& ports,
                      const std::vector<std::string>& unusable) {
    std::string text;
    for (const PortInfo& port : ports) {
        const char* mark = "-";
        if (isStimulatorPort(port)) {
            const bool denied =
                std::find(unusable.begin(), unusable.end(), port.portName) != unusable.end();
            mark = denied ? kNoAccessMark : "stimulator";
        }
        text +=
            port.portName + '\t' + port.description + '\t' + port.hardwareId + '\t' + mark + '\n';
    }
    return text;
}

void addPortsCommand(CLI::App& app, CliOptions& options) {
    CLI::App* ports = app.add_subcommand(
        "ports",
        "List the USB serial ports: name, description, hardware id, stimulator mark (without "
        "opening them)");
    ports->callback([&options] { options.exitStatus = runPorts(options); });
}

}  // namespace kyrvana::cli
