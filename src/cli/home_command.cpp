#include "cli/home_command.h"

#include "cli/cli_device.h"
#include "cli/connected_device.h"

namespace kyrvana::cli {

void addHomeCommand(CLI::App& app, CliOptions& options) {
    CLI::App* home = app.add_subcommand("home", "Home every actuator and wait until they stand");
    home->callback([&options] {
        options.exitStatus = withConnectedDevice(options, [](DeviceLink& link) {
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
