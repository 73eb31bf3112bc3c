#pragma once

// Runs a built program and collects what it printed: through the shell and
// waiting for it, or in the background for a test that signals it while it
// works.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "support/temporary_folder.h"

namespace kyrvana::test_support {

struct CliRun {
    int exitStatus = -1;  // -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs `cliPath` with `arguments` (already quoted for the shell, which may
// redirect standard input) through the shell and waits for it. `launcher`
// (shell words) comes before the tool, e.g. to run it as another user.
CliRun runCli(const std::string& cliPath, const std::string& arguments,
              const TemporaryFolder& folder, const std::string& launcher = "");

// The tool started without a shell, standard input from /dev/null, its
// output into files in `folder`. One that could not be started has ended
// with exit status -1.
class BackgroundCli {
  public:
    BackgroundCli(const std::string& cliPath, const std::vector<std::string>& arguments,
                  const TemporaryFolder& folder);
    // Kills and reaps a tool still running.
    ~BackgroundCli();
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    void signal(int number) const;
    // Waits until it has ended; a second call gives the same run.
    CliRun wait();
    // From the start to the end of the run (known once wait() returned).
    std::chrono::steady_clock::duration elapsed() const { return elapsed_; }
    // Where its standard output goes, for reading it while it runs.
    const std::string& outputFile() const { return outFile_; }

  private:
    pid_t pid_ = -1;
    std::string outFile_;
    std::string errFile_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::duration elapsed_{};
    CliRun run_;
};

// One shell word, whatever the text holds.
std::string shellQuoted(std::string_view text);

}  // namespace kyrvana::test_support
