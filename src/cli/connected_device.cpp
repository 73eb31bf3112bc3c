#include "cli/connected_device.h"

#include <cstdio>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana::cli {

int withConnectedDevice(const CliOptions& options, const std::function<int(DeviceLink&)>& work) {
    CliHost host;
    CKyrvanaDoc document(host, documentOptions(options));
    if (connectDevice(document, options) != kExitSuccess) {
        return kExitFailure;
    }
    const int status = work(document.link());
    document.DisconnectDevice();
    return status;
}

bool printData(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return false;
    }
    return true;
}

}  // namespace kyrvana::cli
