#pragma once

// Runs a subcommand's device work on a stimulator connected the way the
// program connects (identification, calibration and the firmware check
// included), and disconnects afterwards.

#include <functional>

#include "cli/cli_options.h"
#include "core/device/device_link.h"

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::cli {

class CliHost;

// The same with the whole document: Program, Read and Verify Device are
// installed, and `host` holds the view the operations write to.
int withConnectedDocument(const CliOptions& options,
                          const std::function<int(CKyrvanaDoc& document, CliHost& host)>& work);

// kExitFailure when the device cannot be connected (the program's message is
// on standard error); otherwise what `work` returns.
int withConnectedDevice(const CliOptions& options, const std::function<int(DeviceLink&)>& work);

// Well numbers as the user gives them: 1 to 6.
inline constexpr int kFirstWell = 1;
inline constexpr int kLastWell = kWellCount;

// Writes `text` to standard output; false (with a message) when it cannot.
bool printData(const std::string& text);

}  // namespace kyrvana::cli
