// kyrvana-sim as a person starts it: the fault switches on its command line
// reach the running simulator, and a rule it cannot read is refused.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "raw_port.h"
#include "support/cli_runner.h"
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace kyrvana::sim_tests {
namespace {

using namespace std::chrono_literals;

// kyrvana-sim started as a person starts it; its port is the first line it
// prints.
std::string portOf(const test_support::BackgroundCli& sim) {
    std::string port;
    test_support::waitUntil([&] {
        const std::string out = test_support::readFile(sim.outputFile());
        port = out.substr(0, out.find('\n'));
        return port.size() < out.size();
    });
    return port;
}

TEST(SimCommandLine, FaultsAndPokesReachTheRunningSimulator) {
    test_support::TemporaryFolder folder;
    test_support::BackgroundCli process(
        KYRVANA_SIM_PATH,
        {"--fault", "no-answer,nth=2:QueryRev", "--fault", "cut-short,bytes=3:QueryRev(3)",
         "--fault", "garble:QueryRev(2)", "--poke-eeprom", "4114=0x5A"},
        folder);
    const std::string portPath = portOf(process);
    ASSERT_EQ(portPath.rfind("/dev/pts/", 0), 0u) << portPath;
    RawPort port(portPath);
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
    // The test name's first byte, "T" of "Test", was changed behind the
    // program's back.
    ASSERT_TRUE(port.send("GetEepromData(4114, 1)"));
    EXPECT_EQ(port.readExact(1), "Z");
}

TEST(SimCommandLine, ABadRuleIsRefused) {
    test_support::TemporaryFolder folder;
    const test_support::CliRun bad =
        test_support::runCli(KYRVANA_SIM_PATH, "--fault 'silence:QueryRev'", folder);
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_NE(bad.err.find("unknown fault kind: silence"), std::string::npos) << bad.err;
    EXPECT_EQ(test_support::runCli(KYRVANA_SIM_PATH, "--poke-eeprom 9000=1", folder).exitStatus, 2);
}

}  // namespace
}  // namespace kyrvana::sim_tests
