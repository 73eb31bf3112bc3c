#include "cli/position_command.h"

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"

namespace kyrvana::cli {
namespace {

int runPosition(DeviceLink& link) {
    WellReadings readings{};
    DeviceResult result = readLoadCellZeros(link);
    result.keepFirstFailure(refreshAllWells(link, readings));
    if (!result) {
        // A position or force that was not read would print as a real one.
        return reportFailure(result);
    }
    return printData(wellReadingsText(readings)) ? kExitSuccess : kExitFailure;
}

}  // namespace

std::string wellReadingsText(const WellReadings& readings) {
    std::string text = "Well\tPosition (mm)\tForce (N)\n";
    for (std::size_t well = 0; well < readings.size(); ++well) {
        // Adding 0.0 prints a position of -0 as 0.
        text += cFormat("%zu\t", well + 1) + strippedNumberText(readings[well].positionMm + 0.0) +
                "\t" + strippedNumberText(readings[well].forceN + 0.0) + "\n";
    }
    return text;
}

void addPositionCommand(CLI::App& app, CliOptions& options) {
    CLI::App* position = app.add_subcommand(
        "position", "Print each well's actuator position (mm) and load cell force (N)");
    position->callback(
        [&options] { options.exitStatus = withConnectedDevice(options, runPosition); });
}

}  // namespace kyrvana::cli
