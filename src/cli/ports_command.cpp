#include "cli/ports_command.h"

#include <cstdio>

#include "core/device/port_list.h"

namespace kyrvana::cli {
namespace {

int runPorts(const CliOptions& options) {
    const std::vector<PortInfo> ports = listUsbSerialPorts(options.sysfsRoot);
    if (ports.empty()) {
        std::fprintf(stderr, "kyrvana-cli: no USB serial ports under %s\n",
                     options.sysfsRoot.c_str());
    }
    const std::string text = portsText(ports);
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

std::string portsText(const std::vector<PortInfo>& ports) {
    std::string text;
    for (const PortInfo& port : ports) {
        text += port.portName + '\t' + port.description + '\t' + port.hardwareId + '\t' +
                (isStimulatorPort(port) ? "stimulator" : "-") + '\n';
    }
    return text;
}

void addPortsCommand(CLI::App& app, CliOptions& options) {
    CLI::App* ports = app.add_subcommand(
        "ports", "List the USB serial ports: name, description, hardware id, stimulator mark");
    ports->callback([&options] { options.exitStatus = runPorts(options); });
}

}  // namespace kyrvana::cli
