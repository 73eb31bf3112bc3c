#pragma once

// Runs the built kyrvana-cli through the shell and collects what it printed.

#include <string>
#include <string_view>

#include "support/temporary_folder.h"

namespace kyrvana::test_support {

struct CliRun {
    int exitStatus = -1;  // -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs `cliPath` with `arguments` (already quoted for the shell); its
// standard output and error pass through files in `folder`.
CliRun runCli(const std::string& cliPath, const std::string& arguments,
              const TemporaryFolder& folder);

// One shell word, whatever the text holds.
std::string shellQuoted(std::string_view text);

}  // namespace kyrvana::test_support
