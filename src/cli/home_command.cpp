#include "cli/home_command.h"

#include "cli/connected_device.h"

namespace kyrvana::cli {

void addHomeCommand(CLI::App& app, CliOptions& options) {
    CLI::App* home = app.add_subcommand("home", "Home every actuator and wait until they stand");
    home->callback([&options] {
        options.exitStatus = withConnectedDevice(options, [](DeviceLink& link) {
            const auto hold = link.Hold();
            // The device answers at once; a script wants the motors home.
            if (link.Homing() != 0 || link.WaitMotorsIdle() != 1) {
                return kExitFailure;
            }
            return kExitSuccess;
        });
    });
}

}  // namespace kyrvana::cli
