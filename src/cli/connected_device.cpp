#include "cli/connected_device.h"

#include <cstdio>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "core/document/kyrvana_doc.h"
#include "core/programming/device_programming.h"

namespace kyrvana::cli {

int withConnectedDocument(const CliOptions& options,
                          const std::function<int(CKyrvanaDoc& document, CliHost& host)>& work) {
    CliHost host;
    CKyrvanaDoc document(host, documentOptions(options));
    installDeviceProgramming(document);
    // The whole run is one operation: once the device leaves an exchange
    // unanswered, nothing more is sent, so a dead or stalled device costs
    // the run one read time-out, however many exchanges its work has.
    const auto operation = document.link().BeginOperation();
    if (connectDevice(document, options) != kExitSuccess) {
        return kExitFailure;
    }
    const int status = work(document, host);
    document.DisconnectDevice();
    return status;
}

int withConnectedDevice(const CliOptions& options, const std::function<int(DeviceLink&)>& work) {
    return withConnectedDocument(
        options, [&work](CKyrvanaDoc& document, CliHost&) { return work(document.link()); });
}

bool printData(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return false;
    }
    return true;
}

}  // namespace kyrvana::cli
