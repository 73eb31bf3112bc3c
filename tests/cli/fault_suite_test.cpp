// What the command-line tool promises when the link misbehaves, each fault
// run through the built kyrvana-cli against a simulated stimulator and
// written as on kyrvana-sim's command line:
// - every subcommand that talks to the device exits 1 when an exchange
//   failed, names it on standard error, and prints no data that would pass
//   for the device's;
// - for each kind of fault: the exit status, which files a download leaves
//   in its folder (whole, partial, none; what a partial or an earlier file
//   holds is the download's business, tested with it), a run that never waits
//   longer than its settling wait and one time-out plus a second, and a link
//   that works for the next command.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_sim_test.h"
#include "sim/fault_rules.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CliRun;
using test_support::TemporaryFolder;
using Names = std::vector<std::string>;

void addFault(sim::SimulatedStimulator& sim, const std::string& rule) {
    std::string error;
    const auto parsed = sim::parseFaultRule(rule, &error);
    ASSERT_TRUE(parsed) << rule << ": " << error;
    sim.addFault(*parsed);
}

class CliFaultTest : public test::CliSimTest {
  protected:
    void SetUp() override {
        CliSimTest::SetUp();
        readTimeoutMs_ = 300;
        device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
        std::ofstream(folder_.file("three.tmt")) << "NAME NUMREPS\nA 1\nB 1\nC 1\n";
        // The device holds a sequence, so that a read fails only by the fault.
        ASSERT_EQ(run("program " + quoted("three.tmt")).exitStatus, 0);
    }
};

// One row per subcommand: the fault, the command line, and the command that
// must be named. `dataOnFailure`: the subcommand still prints its status line.
struct ExitCase {
    const char* rule;
    std::string arguments;
    const char* named;
    bool dataOnFailure = false;
};

TEST_F(CliFaultTest, EverySubcommandExitsOneWhenTheDeviceFails) {
    const std::string protocol = quoted("three.tmt");
    const std::vector<ExitCase> cases = {
        {"no-answer:QueryUmPerUstep(3)", "identify", "QueryUmPerUstep(3)"},
        {"no-answer:QuerySDVolumeSizeKB", "files", "QuerySDVolumeSizeKB"},
        {"cut-short,bytes=100,nth=2:ReadFileOnSDCardNext",
         "download DEMO_0001.CSV --to " + quoted("dl"), "ReadFileOnSDCardNext", true},
        {"no-answer:DeleteFileFromSDCard", "delete DEMO_0001.CSV", "DeleteFileFromSDCard"},
        {"no-answer:ListFilesOnSDCard", "delete --all --yes", "ListFilesOnSDCard"},
        {"no-answer:QueryInternalValue(73)", "position", "QueryInternalValue(73)"},
        {"no-answer:Positioning(2", "move --by 1", "Positioning(2,8,"},
        {"no-answer:Homing", "home", "Homing"},
        {"no-answer,nth=3:QueryInternalValue(11)", "calibrate read --well 2",
         "QueryInternalValue(11)"},
        {"no-answer:UpdateFromSDIni(2,1)",
         "calibrate apply --well 2 --full-scale-load 40 --gain 0.001", "UpdateFromSDIni(2,1)"},
        // Nothing is written to the file asked for.
        {"no-answer:GetEepromData(1794", "read -o " + quoted("back.tmt"), "GetEepromData(1794"},
        {"no-answer:\\x1Cw(49", "program " + protocol, "\\x1Cw(49,0)"},
        // The connection reads the test number first; the verification's own
        // read of it goes unanswered: a failed read, not a match.
        {"no-answer,nth=2:GetEepromData(4096", "verify " + protocol, "GetEepromData(4096, 2)"},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " / " + c.arguments);
        device_.sim().clearFaults();
        addFault(device_.sim(), c.rule);
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find(std::string("\"") + c.named), std::string::npos) << result.err;
        if (!c.dataOnFailure) {
            EXPECT_EQ(result.out, "");
        }
    }
    // Nothing incomplete was put in the file's place.
    EXPECT_FALSE(fs::exists(folder_.path() / "dl" / "DEMO_0001.CSV"));
    EXPECT_FALSE(fs::exists(folder_.path() / "back.tmt"));

    // Unplugged: nothing to connect to.
    device_.sim().hangUp();
    const CliRun unplugged = run("verify " + protocol);
    EXPECT_EQ(unplugged.exitStatus, 1);
    EXPECT_EQ(unplugged.out, "");
    EXPECT_NE(unplugged.err, "");
}

constexpr int kTimeoutMs = 400;
// The promise is one read time-out per run at most, counted in the message
// log, and a run no longer than that time-out plus a second. A test machine
// shared by other jobs can hold a process off the processor for a while, so
// the wall-clock check allows this much on top.
constexpr auto kBusyMachineAllowance = 1s;
const std::string kTimeoutLine = "ReadFile Timed Out Waiting for Response";
// The next command waits this long after opening the port, as the device
// needs after a restart: long enough for an answer still under way from a
// fault to have come and be cleared with the input queue.
constexpr int kNextSettleMs = 800;
const std::string kFileA(5000, 'A');
const std::string kFileB(3000, 'b');

struct FaultCase {
    const char* name;
    const char* rule;  // nullptr: a second reader on the port
    // A download's ends with "--to": the folder comes after it.
    std::vector<std::string> command;
    int exitStatus;  // -1: 0 or 1 (the outcome of a race), within the time bound
    Names files = {};
    std::string errorText = {};
    // When set: `signal` once the simulator has received a command that
    // starts with `signalAfter` for the `signalAfterCount`th time.
    std::string signalAfter = {};
    int signal = 0;
    std::size_t signalAfterCount = 1;
    int timeoutMs = kTimeoutMs;
};

class FaultSuiteTest : public testing::Test {
  protected:
    void SetUp() override { std::ofstream(protocolFile_) << "NAME NUMREPS\nStretch 5\n"; }

    CliRun runCase(const FaultCase& c, const std::vector<std::string>& command,
                   test_support::RunningSimulator& device,
                   std::chrono::steady_clock::duration& elapsed) {
        std::vector<std::string> arguments = {"--port",      device.portPath(),
                                              "--timeout",   std::to_string(c.timeoutMs),
                                              "--settle-ms", "0",
                                              "-v"};
        arguments.insert(arguments.end(), command.begin(), command.end());
        test_support::BackgroundCli cli(KYRVANA_CLI_PATH, arguments, work_);
        if (c.signal != 0) {
            const bool reached = test_support::waitUntil([&] {
                std::size_t seen = 0;
                for (const std::string& sent : device.sim().receivedCommands()) {
                    seen += sent.rfind(c.signalAfter, 0) == 0 ? 1 : 0;
                }
                return seen >= c.signalAfterCount;
            });
            EXPECT_TRUE(reached) << "the tool never sent " << c.signalAfter;
            cli.signal(c.signal);
        }
        const CliRun run = cli.wait();
        elapsed = cli.elapsed();
        return run;
    }

    CliRun runNext(test_support::RunningSimulator& device,
                   const std::vector<std::string>& command) {
        std::string arguments = "--port " + test_support::shellQuoted(device.portPath()) +
                                " --timeout 2000 --settle-ms " + std::to_string(kNextSettleMs);
        for (const std::string& word : command) {
            arguments += " " + test_support::shellQuoted(word);
        }
        return test_support::runCli(KYRVANA_CLI_PATH, arguments, work_);
    }

    TemporaryFolder work_;
    std::string protocolFile_ = work_.file("stretch.tmt");
};

TEST_F(FaultSuiteTest, EachFaultKeepsItsPromise) {
    const std::vector<std::string> downloadBoth = {"download", "A.CSV", "B.CSV", "--to"};
    const std::vector<FaultCase> cases = {
        // The piece's answer comes after the program gave up on it: the file
        // stops there, the next is not begun, and the late bytes reach no
        // later command.
        {"a late answer", "stall,ms=700,nth=3:ReadFileOnSDCardNext", downloadBoth, 1,
         Names{"A.CSV.incomplete"}, "1 more file(s) not downloaded"},
        // Twelve queries to come, one time-out for the run. (A device silent
        // from the start is the identification's own case, tested with it.)
        {"a device that falls silent once connected",
         "no-answer:QueryMotorPos",
         {"position"},
         1,
         {},
         "QueryMotorPos"},
        // More bytes than the piece holds: an answer that came but cannot be
        // used fails its file alone, and the next one starts on a line
        // brought back into step.
        {"garbage bytes instead of a piece", "garbage,bytes=1100,nth=2:ReadFileOnSDCardNext",
         downloadBoth, 1, Names{"A.CSV.incomplete", "B.CSV"}},
        {"a second reader on the port", nullptr, {"identify"}, -1},
        // What arrived is dropped with the temporary file; nothing waits for
        // the stalled piece.
        {"an interrupt during a download",
         "stall,ms=600,nth=2:ReadFileOnSDCardNext",
         downloadBoth,
         1,
         {},
         "",
         "ReadFileOnSDCardNext",
         SIGINT,
         2},
        {"an interrupt during programming",
         "stall,ms=300,nth=1:SetEepromData(4114",
         {"program", "--name", "Interrupted", protocolFile_},
         1,
         {},
         "test name written, sequence not written: program again",
         "SetEepromData(4114",
         SIGTERM,
         1,
         1500},
    };

    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::RunningSimulator device;
        ASSERT_TRUE(device.ok()) << device.error();
        device.putFile("DATA/A.CSV", kFileA);
        device.putFile("DATA/B.CSV", kFileB);
        const std::string sequenceBefore = device.sim().eepromItem(eeprom::kSequenceText);
        if (c.rule != nullptr) {
            addFault(device.sim(), c.rule);
        } else {
            ASSERT_TRUE(device.sim().setSecondReader(true));
        }
        const TemporaryFolder folder;
        const bool download = c.command.back() == "--to";
        std::vector<std::string> command = c.command;
        if (download) {
            command.push_back(folder.path().string());
        }
        std::chrono::steady_clock::duration elapsed{};
        const CliRun result = runCase(c, command, device, elapsed);

        if (c.exitStatus >= 0) {
            EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        } else {
            EXPECT_TRUE(result.exitStatus == 0 || result.exitStatus == 1) << result.err;
        }
        std::size_t timeOuts = 0;
        for (std::size_t at = result.err.find(kTimeoutLine); at != std::string::npos;
             at = result.err.find(kTimeoutLine, at + 1)) {
            ++timeOuts;
        }
        EXPECT_LE(timeOuts, 1u) << result.err;
        EXPECT_LT(elapsed, std::chrono::milliseconds(c.timeoutMs) + 1s + kBusyMachineAllowance);
        EXPECT_NE(result.err.find(c.errorText), std::string::npos) << result.err;
        // Nothing else: no temporary file, no file claiming to be whole.
        EXPECT_EQ(folder.names(), c.files);
        if (command.front() == "program") {
            // The item under way was finished, the next one not begun.
            EXPECT_EQ(device.sim().eepromItem(eeprom::kTestName), "Interrupted");
            EXPECT_EQ(device.sim().eepromItem(eeprom::kSequenceText), sequenceBefore);
        }

        // The fault is gone; the next command works, untouched by late bytes.
        device.sim().clearFaults();
        device.sim().setSecondReader(false);
        const CliRun next = runNext(device, download ? command : Names{"identify"});
        EXPECT_EQ(next.exitStatus, 0) << next.err;
        if (download) {
            // A complete download also removes what a broken one left.
            EXPECT_EQ(folder.names(), (Names{"A.CSV", "B.CSV"}));
            EXPECT_EQ(test_support::readFile(folder.path() / "A.CSV"), kFileA);
            EXPECT_EQ(test_support::readFile(folder.path() / "B.CSV"), kFileB);
        }
    }
}

}  // namespace
}  // namespace kyrvana
