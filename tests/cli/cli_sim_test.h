#pragma once

// The built kyrvana-cli against a simulated stimulator named with --port,
// without the settling wait; what it prints passes through a temporary
// folder that the test may also use for its files.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/cli_runner.h"
#include "support/sim_fixture.h"
#include "support/temporary_folder.h"

namespace kyrvana::test {

using test_support::CliRun;
using test_support::shellQuoted;

class CliSimTest : public testing::Test {
  protected:
    explicit CliSimTest(sim::SimulatorOptions options = {}) : device_(std::move(options)) {}

    void SetUp() override { ASSERT_TRUE(device_.ok()) << device_.error(); }

    // Without the settling wait a real stimulator needs, and with a read
    // time-out short enough for a test that makes the device stay silent.
    CliRun run(const std::string& arguments, const std::string& launcher = "") const {
        return test_support::runCli(KYRVANA_CLI_PATH,
                                    "--port " + shellQuoted(device_.portPath()) +
                                        " --settle-ms 0 --timeout " +
                                        std::to_string(readTimeoutMs_) + " " + arguments,
                                    folder_, launcher);
    }
    // A file in the folder, quoted for the command line.
    std::string quoted(const std::string& name) const { return shellQuoted(folder_.file(name)); }

    test_support::RunningSimulator device_;
    test_support::TemporaryFolder folder_;
    int readTimeoutMs_ = 1000;
};

}  // namespace kyrvana::test
