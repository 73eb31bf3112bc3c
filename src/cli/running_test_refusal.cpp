#include "cli/running_test_refusal.h"

#include <cstdio>

#include "core/device/test_state.h"

namespace kyrvana::cli {

void addForceFlag(CLI::App* subcommand, bool& force) {
    subcommand->add_flag("--force", force,
                         "Go on even while the device runs a test or holds one paused");
}

bool mayGoOnDespiteTest(DeviceLink& link, bool force, TestDisturbance what) {
    if (force || !deviceTestInProgress(link)) {
        return true;
    }
    if (what == TestDisturbance::TestData) {
        std::fputs(kTestDataWhileTestRunsMessage, stderr);
    } else {
        std::fprintf(stderr, "%s\n", kTestRunningQuestion);
    }
    std::fputs("kyrvana-cli: refused; --force goes on all the same\n", stderr);
    return false;
}

}  // namespace kyrvana::cli
