// kyrvana-sim as a person starts it: the fault switches on its command line
// reach the running simulator, and --help documents them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "core/device/device_vocabulary.h"
#include "raw_port.h"
#include "sim_test_helpers.h"
#include "support/cli_runner.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;

// kyrvana-sim running as a child process, its port read from the first line
// of its standard output; stopped with SIGTERM as a person stops it.
class SimProcess {
  public:
    explicit SimProcess(const std::string& arguments) {
        const std::string command =
            std::string("exec '") + KYRVANA_SIM_PATH + "' " + arguments + " 2>/dev/null";
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        char c = 0;
        while (pid_ > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
            port_ += c;
        }
        ::close(pipeFds[0]);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& port() const { return port_; }

  private:
    pid_t pid_ = -1;
    std::string port_;
};

TEST(SimCommandLine, FaultsAndPokesReachTheRunningSimulator) {
    SimProcess process(
        "--fault 'no-answer,nth=2:QueryRev' --fault 'cut-short,bytes=3:QueryRev(3)' "
        "--fault 'garble:QueryRev(2)' --poke-eeprom 4114=0x5A");
    ASSERT_EQ(process.port().rfind("/dev/pts/", 0), 0u) << process.port();
    RawPort port(process.port());
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.ask("QueryRev(0)"), "Kyrvana P7 Cell Stimulator\r");
    // The second QueryRev goes unanswered; the first matching rule decides.
    ASSERT_TRUE(port.send("QueryRev(3)"));
    EXPECT_EQ(port.readQuiet(100ms), "");
    ASSERT_TRUE(port.send("QueryRev(3)"));
    EXPECT_EQ(port.readQuiet(100ms), "Har");
    // Garbled: as long as the real answer, ended as it is, meaning nothing.
    const std::string garbled = port.ask("QueryRev(2)");
    ASSERT_EQ(garbled.size(), std::string("Firmware REV 4.60\r").size());
    EXPECT_EQ(garbled.back(), '\r');
    EXPECT_EQ(garbled.find("REV"), std::string::npos);
    // The test name "Test" became "Zest" behind the program's back.
    EXPECT_EQ(readItemOverWire(port, eeprom::kTestName), "Zest");
}

TEST(SimCommandLine, HelpListsEveryFaultKindAndABadRuleIsRefused) {
    test_support::TemporaryFolder folder;
    const test_support::CliRun help = test_support::runCli(KYRVANA_SIM_PATH, "--help", folder);
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* word : {"--fault", "--poke-eeprom", "no-answer", "garble", "cut-short",
                             "garbage", "overlong", "hang-up", "nth=N", "count=N", "bytes=N"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    const test_support::CliRun bad =
        test_support::runCli(KYRVANA_SIM_PATH, "--fault 'silence:QueryRev'", folder);
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_NE(bad.err.find("unknown fault kind: silence"), std::string::npos) << bad.err;
    EXPECT_EQ(test_support::runCli(KYRVANA_SIM_PATH, "--poke-eeprom 9000=1", folder).exitStatus, 2);
}

}  // namespace
}  // namespace kyrvana::sim_tests
