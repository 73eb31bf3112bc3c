#include "cli/home_command.h"

#include <memory>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "cli/running_test_refusal.h"

namespace kyrvana::cli {

void addHomeCommand(CLI::App& app, CliOptions& options) {
    CLI::App* home = app.add_subcommand("home", "Home every actuator and wait until they stand");
    auto force = std::make_shared<bool>(false);
    addForceFlag(home, *force);
    home->callback([&options, force] {
        options.exitStatus = withConnectedDevice(options, [force](DeviceLink& link) {
            if (!mayGoOnDespiteTest(link, *force, TestDisturbance::Actuators)) {
                return kExitFailure;
            }
            const auto hold = link.Hold();
            // The device answers at once; a script wants the motors home.
            DeviceResult result = link.Homing();
            if (result) {
                result = link.WaitMotorsIdle();
            }
            return result ? kExitSuccess : reportFailure(result);
        });
    });
}

}  // namespace kyrvana::cli
