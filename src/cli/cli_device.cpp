#include "cli/cli_device.h"

#include <cstdio>

#include "core/device/port_open_problem.h"

namespace kyrvana::cli {

DocumentOptions documentOptions(const CliOptions& options) {
    DocumentOptions result;
    result.sysfsRoot = options.sysfsRoot;
    result.readTimeoutMs = options.timeoutMs;
    result.settleDelay = std::chrono::milliseconds(options.settleMs);
    return result;
}

int connectDevice(CKyrvanaDoc& document, const CliOptions& options) {
    DeviceLink& link = document.link();
    if (!options.port.empty()) {
        link.portName = options.port;
    } else if (!link.DetectDevice()) {
        std::fprintf(stderr,
                     "kyrvana-cli: no serial port with the stimulator's USB ids (VID_03EB, "
                     "PID_2404) under %s\n",
                     options.sysfsRoot.c_str());
        // Connecting without a port fails the way the program fails, with
        // its own message.
    }
    const DeviceResult connected = document.ConnectDevice();
    if (connected) {
        return kExitSuccess;
    }
    // Why the port could not be used is said whether or not -v shows the
    // message log, in place of the bare "not open".
    const std::string explanation =
        portOpenProblemText(link.openProblem, link.portName, udevRuleInstalled());
    if (connected.why() == DeviceFailure::NoPort && !explanation.empty()) {
        std::fprintf(stderr, "kyrvana-cli: %s", explanation.c_str());
        return kExitFailure;
    }
    return reportFailure(connected);
}

int reportFailure(const DeviceResult& result) {
    std::fprintf(stderr, "kyrvana-cli: %s\n", result.describe().c_str());
    return kExitFailure;
}

}  // namespace kyrvana::cli
