#include "support/cli_runner.h"

#include <sys/wait.h>

#include <cstdlib>

namespace kyrvana::test_support {

std::string shellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

CliRun runCli(const std::string& cliPath, const std::string& arguments,
              const TemporaryFolder& folder) {
    const std::string outFile = folder.file("cli-stdout.txt");
    const std::string errFile = folder.file("cli-stderr.txt");
    const std::string command =
        "'" + cliPath + "' " + arguments + " >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

}  // namespace kyrvana::test_support
