#include "cli/cli_device.h"

#include <cstdio>

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
    return connected ? kExitSuccess : reportFailure(connected);
}

int reportFailure(const DeviceResult& result) {
    std::fprintf(stderr, "kyrvana-cli: %s\n", result.describe().c_str());
    return kExitFailure;
}

}  // namespace kyrvana::cli
