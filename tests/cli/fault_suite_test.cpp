// What the command-line tool promises when the link misbehaves, each fault
// run through the built kyrvana-cli against a simulated stimulator: the exit
// status, the files in the download folder (a complete file is the card's
// file byte for byte, an earlier copy stays as it was, no temporary file is
// left), a run that never waits longer than its settling wait and one
// time-out plus a second, and a link that works for the next command.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/protocol/protocol_writer.h"
#include "support/cli_runner.h"
#include "support/sim_fixture.h"
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Fault = sim::SimulatorFault;
using test_support::TemporaryFolder;

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
const std::string kEarlierCopy = "an earlier, complete download of A";

std::string pattern(std::size_t size, char first) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(first + static_cast<char>(i % 23));
    }
    return bytes;
}

const std::string kFileA = pattern(5000, 'A');
const std::string kFileB = pattern(3000, 'a');

Fault fault(Fault::Kind kind, const char* prefix, std::size_t skip, std::size_t times = 1) {
    Fault rule{kind, prefix};
    rule.skip = skip;
    rule.times = times;
    return rule;
}

Fault stall(const char* prefix, std::size_t skip, std::chrono::milliseconds length) {
    Fault rule = fault(Fault::Kind::Stall, prefix, skip);
    rule.stall = length;
    return rule;
}

Fault replace(const char* prefix, std::string text) {
    Fault rule = fault(Fault::Kind::Replace, prefix, 0);
    rule.text = std::move(text);
    return rule;
}

struct Expected {
    // exit status; -1: 0 or 1 (the outcome of a race), within the time bound
    int exitStatus = 1;
    std::vector<std::string> complete;                // the card's file, byte for byte
    bool earlierCopyKept = false;                     // A is still the earlier copy
    std::map<std::string, std::size_t> incomplete{};  // "<name>.incomplete": its first bytes
    std::string errorText{};                          // on standard error
};

struct FaultCase {
    const char* name;
    std::function<void(sim::SimulatedStimulator&)> arrange;
    std::vector<std::string> command;
    // When set: `signal` once the simulator has received a command that
    // starts with `signalAfter` for the `signalAfterCount`th time.
    std::string signalAfter;
    int signal = 0;
    Expected expected;
    int timeoutMs = kTimeoutMs;
    std::size_t signalAfterCount = 1;
};

Protocol oneSet() {
    Protocol sequence;
    SetRecord set;
    set.name = "Stretch";
    set.mode[0] = ControlMode::Displacement;
    set.units[0] = UnitsCode::Micrometres;
    set.function[0] = FunctionType::Sinusoid;
    set.magnitude.fill(100.0);
    set.preloadType[0] = static_cast<PreloadType>(0);
    set.stretchDurationMs = 1000;
    set.recoveryDurationMs = 1500;
    set.restTimeMs = 500;
    set.numReps = 5;
    set.timeUnits = static_cast<TimeUnits>(0);
    set.dataFrequency = static_cast<DataFrequency>(0);
    sequence.append(set);
    return sequence;
}

class FaultSuiteTest : public testing::Test {
  protected:
    void SetUp() override {
        protocolFile_ = work_.file("stretch.tmt");
        Protocol sequence = oneSet();
        ASSERT_TRUE(writeProtocolFile(protocolFile_, sequence, HardwareSettings{}).written());
    }

    // The folder's entries other than the tool's own output files.
    std::set<std::string> downloads(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    void checkFiles(const fs::path& folder, const test_support::RunningSimulator& device,
                    const Expected& expected) const {
        std::set<std::string> wanted;
        for (const std::string& name : expected.complete) {
            wanted.insert(name);
            EXPECT_EQ(test_support::readFile(folder / name),
                      test_support::readFile(device.sdCard() / "DATA" / name))
                << name;
        }
        if (expected.earlierCopyKept) {
            wanted.insert("A.CSV");
            EXPECT_EQ(test_support::readFile(folder / "A.CSV"), kEarlierCopy);
        }
        for (const auto& [name, bytes] : expected.incomplete) {
            wanted.insert(name + ".incomplete");
            const std::string card = name == "A.CSV" ? kFileA : kFileB;
            EXPECT_EQ(test_support::readFile(folder / (name + ".incomplete")),
                      card.substr(0, bytes));
        }
        // Nothing else: no temporary file, no file claiming to be whole.
        EXPECT_EQ(downloads(folder), wanted);
    }

    test_support::CliRun runCase(const FaultCase& c, test_support::RunningSimulator& device,
                                 std::chrono::steady_clock::duration& elapsed) {
        std::vector<std::string> arguments = {"--port",      device.portPath(),
                                              "--timeout",   std::to_string(c.timeoutMs),
                                              "--settle-ms", "0",
                                              "-v"};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        test_support::BackgroundCli cli(KYRVANA_CLI_PATH, arguments, work_);
        EXPECT_TRUE(cli.started());
        if (c.signal != 0) {
            const bool reached = test_support::waitUntil([&] {
                std::size_t seen = 0;
                for (const std::string& command : device.sim().receivedCommands()) {
                    seen += command.rfind(c.signalAfter, 0) == 0 ? 1 : 0;
                }
                return seen >= c.signalAfterCount;
            });
            EXPECT_TRUE(reached) << "the tool never sent " << c.signalAfter;
            cli.signal(c.signal);
        }
        const test_support::CliRun run = cli.wait();
        elapsed = cli.elapsed();
        return run;
    }

    test_support::CliRun runNext(test_support::RunningSimulator& device,
                                 const std::vector<std::string>& command) {
        std::string arguments = "--port " + test_support::shellQuoted(device.portPath()) +
                                " --timeout 2000 --settle-ms " + std::to_string(kNextSettleMs);
        for (const std::string& word : command) {
            arguments += " " + test_support::shellQuoted(word);
        }
        return test_support::runCli(KYRVANA_CLI_PATH, arguments, work_);
    }

    TemporaryFolder work_;
    std::string protocolFile_;
};

TEST_F(FaultSuiteTest, EachFaultKeepsItsPromise) {
    const std::vector<std::string> downloadBoth = {"download", "A.CSV", "B.CSV", "--to"};
    const std::vector<FaultCase> cases = {
        // The answer comes late but within the time-out: nothing is lost.
        {"a stall shorter than the time-out",
         [](auto& sim) { sim.addFault(stall("ReadFileOnSDCardNext", 2, 250ms)); }, downloadBoth, "",
         0, Expected{0, {"A.CSV", "B.CSV"}}},
        // The piece's answer comes after the program gave up on it: the file
        // stops there, and the late bytes reach no later command.
        {"a late answer", [](auto& sim) { sim.addFault(stall("ReadFileOnSDCardNext", 2, 700ms)); },
         downloadBoth, "", 0,
         Expected{1, {}, true, {{"A.CSV", 2048}}, "1 more file(s) not downloaded"}},
        // One time-out for the whole identification, and no word about the
        // firmware of a device that said nothing.
        {"a silent device at connection",
         [](auto& sim) { sim.addFault(fault(Fault::Kind::NoAnswer, "", 0, 0)); },
         {"identify"},
         "",
         0,
         Expected{1, {}, false, {}, "Device Not Detected"}},
        // Twelve queries to come, one time-out for the run.
        {"a device that falls silent once connected",
         [](auto& sim) { sim.addFault(fault(Fault::Kind::NoAnswer, "QueryMotorPos", 0, 0)); },
         {"position"},
         "",
         0,
         Expected{1, {}, false, {}, "QueryMotorPos"}},
        // Answers that came but cannot be used fail their file alone; the
        // next file starts on a line brought back into step.
        {"garbage instead of the size",
         [](auto& sim) { sim.addFault(replace("ReadFileOnSDCardFirst", "\x8f\x01\xfe=%\x17\r")); },
         downloadBoth, "", 0, Expected{1, {"B.CSV"}, true}},
        // More bytes than the piece holds: the file fails, and the next
        // one starts on a line brought back into step.
        {"garbage bytes instead of a piece",
         [](auto& sim) {
             Fault noise = fault(Fault::Kind::Garbage, "ReadFileOnSDCardNext", 1);
             noise.bytes = 1100;
             sim.addFault(noise);
         },
         downloadBoth, "", 0, Expected{1, {"B.CSV"}, true, {{"A.CSV", 1024}}}},
        {"a second reader on the port",
         [](auto& sim) { ASSERT_TRUE(sim.setSecondReader(true)); },
         {"identify"},
         "",
         0,
         Expected{-1, {}}},
        // What arrived is dropped with the temporary file; nothing waits for
        // the stalled piece.
        {"an interrupt during a download",
         [](auto& sim) { sim.addFault(stall("ReadFileOnSDCardNext", 1, 600ms)); }, downloadBoth,
         "ReadFileOnSDCardNext", SIGINT, Expected{1, {}, true}, kTimeoutMs, 2},
        {"an interrupt during programming",
         [](auto& sim) { sim.addFault(stall("SetEepromData(4114", 0, 300ms)); },
         {"program", "--name", "Interrupted"},
         "SetEepromData(4114",
         SIGTERM,
         Expected{1, {}, false, {}, "test name written, sequence not written: program again"},
         1500},
    };

    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::RunningSimulator device;
        ASSERT_TRUE(device.ok()) << device.error();
        device.putFile("DATA/A.CSV", kFileA);
        device.putFile("DATA/B.CSV", kFileB);
        const TemporaryFolder folder;
        std::ofstream(folder.path() / "A.CSV", std::ios::binary) << kEarlierCopy;
        const std::string sequenceBefore = device.sim().eepromItem(eeprom::kSequenceText);
        c.arrange(device.sim());

        std::vector<std::string> command = c.command;
        if (command.back() == "--to") {
            command.push_back(folder.path().string());
        } else if (command.front() == "program") {
            command.push_back(protocolFile_);
        }
        FaultCase run = c;
        run.command = command;
        std::chrono::steady_clock::duration elapsed{};
        const test_support::CliRun result = runCase(run, device, elapsed);

        if (c.expected.exitStatus >= 0) {
            EXPECT_EQ(result.exitStatus, c.expected.exitStatus) << result.err;
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
        EXPECT_NE(result.err.find(c.expected.errorText), std::string::npos) << result.err;
        if (command.front() == "download") {
            checkFiles(folder.path(), device, c.expected);
        }
        if (command.front() == "program" && c.signal != 0) {
            // The item under way was finished, the next one not begun.
            EXPECT_EQ(device.sim().eepromItem(eeprom::kTestName), "Interrupted");
            EXPECT_EQ(device.sim().eepromItem(eeprom::kSequenceText), sequenceBefore);
        }

        // The fault is gone; the next command works.
        device.sim().clearFaults();
        device.sim().setSecondReader(false);
        if (command.front() == "download") {
            const test_support::CliRun next = runNext(device, command);
            EXPECT_EQ(next.exitStatus, 0) << next.err;
            Expected whole;
            whole.complete = {"A.CSV", "B.CSV"};
            checkFiles(folder.path(), device, whole);
        } else {
            const test_support::CliRun next = runNext(device, {"identify"});
            EXPECT_EQ(next.exitStatus, 0) << next.err;
        }
    }
}

}  // namespace
}  // namespace kyrvana
