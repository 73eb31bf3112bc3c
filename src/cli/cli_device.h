#pragma once

// What every device subcommand does first: a document set up from the global
// options, and a connection made the way the program makes it.

#include "cli/cli_options.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana::cli {

// The document's options from --sysfs-root, --timeout and --settle-ms.
DocumentOptions documentOptions(const CliOptions& options);

// Takes --port, or else the first port with the stimulator's USB ids under
// --sysfs-root, and connects as the program does (identification and the
// firmware check included). kExitSuccess when connected; otherwise the
// program's own message is already on standard error and the result is
// kExitFailure.
int connectDevice(CKyrvanaDoc& document, const CliOptions& options);

}  // namespace kyrvana::cli
