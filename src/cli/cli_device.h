#pragma once

// What every device subcommand does first: a document set up from the global
// options, and a connection made the way the program makes it.

#include "cli/cli_options.h"
#include "core/document/kyrvana_doc.h"

namespace kyrvana::cli {

// The document's options from --sysfs-root, --timeout and --settle-ms.
DocumentOptions documentOptions(const CliOptions& options);

// Takes --port, or else the first port with the stimulator's USB ids under
// --sysfs-root, and connects as the program does (identification and the
// firmware check included). kExitSuccess when connected and every exchange
// of the identification was answered; otherwise kExitFailure, with the
// program's own message (when it shows one) and the reason on standard
// error.
int connectDevice(CKyrvanaDoc& document, const CliOptions& options);

// Says on standard error why an operation failed ("kyrvana-cli: " and the
// result's sentence) and gives kExitFailure.
int reportFailure(const DeviceResult& result);

}  // namespace kyrvana::cli
