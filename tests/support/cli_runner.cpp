#include "support/cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

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
              const TemporaryFolder& folder, const std::string& launcher) {
    const std::string command = launcher + " " + shellQuoted(cliPath) + " " + arguments;
    return BackgroundCli("/bin/sh", {"-c", command}, folder).wait();
}

BackgroundCli::BackgroundCli(const std::string& cliPath, const std::vector<std::string>& arguments,
                             const TemporaryFolder& folder) {
    static std::atomic<int> counter{0};
    const int number = counter++;
    outFile_ = folder.file("cli-stdout-" + std::to_string(number) + ".txt");
    errFile_ = folder.file("cli-stderr-" + std::to_string(number) + ".txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(cliPath.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    started_ = std::chrono::steady_clock::now();
    if (posix_spawn(&pid_, cliPath.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

BackgroundCli::~BackgroundCli() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        wait();
    }
}

void BackgroundCli::signal(int number) const {
    if (pid_ > 0) {
        ::kill(pid_, number);
    }
}

CliRun BackgroundCli::wait() {
    if (pid_ <= 0) {
        return run_;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    elapsed_ = std::chrono::steady_clock::now() - started_;
    pid_ = -1;
    run_.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run_.out = readFile(outFile_);
    run_.err = readFile(errFile_);
    return run_;
}

}  // namespace kyrvana::test_support
