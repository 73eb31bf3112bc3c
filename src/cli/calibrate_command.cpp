#include "cli/calibrate_command.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "cli/running_test_refusal.h"
#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"

namespace kyrvana::cli {
namespace {

struct CalibrateArguments {
    int well = kFirstWell;
    std::vector<std::string> pairs;
    // Read in the "C" locale whatever the environment says.
    std::string fullScaleLoad;
    std::string gain;
    bool force = false;
};

bool isNumber(std::string_view text) {
    std::size_t used = 0;
    const double value = cStrtod(text, &used);
    return used > 0 && used == text.size() && std::isfinite(value);
}

int runFit(const CalibrateArguments& arguments) {
    const auto rows = parseCalibrationPairs(arguments.pairs);
    if (!rows) {
        std::fputs("kyrvana-cli: readings are WEIGHT_G:RAW pairs, such as 100:1532\n", stderr);
        return kExitUsage;
    }
    const GainFitResult result = fitGain(*rows);
    if (result.fit != GainFit::Ok) {
        std::fputs(kTooFewWeightsMessage, stderr);
        return kExitFailure;
    }
    return printData(strippedNumberText(result.gain) + "\n") ? kExitSuccess : kExitFailure;
}

// The well's averaged raw reading.
int runRead(const CalibrateArguments& arguments, CliOptions& options) {
    return withConnectedDevice(options, [&](DeviceLink& link) {
        if (!mayGoOnDespiteTest(link, arguments.force, TestDisturbance::Actuators)) {
            return kExitFailure;
        }
        double raw = 0.0;
        if (const DeviceResult result = link.AverageInternalValue(arguments.well - 1, raw);
            !result) {
            // An average with readings made up from others is no reading.
            return reportFailure(result);
        }
        return printData(strippedNumberText(raw) + "\n") ? kExitSuccess : kExitFailure;
    });
}

// Stores the well's full-scale load and gain, then prints what the device holds.
int runApply(const CalibrateArguments& arguments, CliOptions& options) {
    if (!isNumber(arguments.fullScaleLoad) || !isNumber(arguments.gain)) {
        std::fputs(
            "kyrvana-cli: --full-scale-load and --gain take numbers, such as 100 and "
            "0.00098\n",
            stderr);
        return kExitUsage;
    }
    return withConnectedDevice(options, [&](DeviceLink& link) {
        if (!mayGoOnDespiteTest(link, arguments.force, TestDisturbance::Actuators)) {
            return kExitFailure;
        }
        if (const DeviceResult result = applyCalibration(
                link, arguments.well - 1, cAtof(arguments.fullScaleLoad), cAtof(arguments.gain));
            !result) {
            std::fputs("kyrvana-cli: the calibration was not saved\n", stderr);
            return reportFailure(result);
        }
        // What the device now holds, one line per well.
        return printData(calibrationText(link)) ? kExitSuccess : kExitFailure;
    });
}

}  // namespace

std::optional<std::vector<CalibrationRow>> parseCalibrationPairs(
    const std::vector<std::string>& pairs) {
    std::vector<CalibrationRow> rows;
    for (const std::string& pair : pairs) {
        const std::size_t colon = pair.find(':');
        if (colon == std::string::npos) {
            return std::nullopt;
        }
        CalibrationRow row{pair.substr(0, colon), pair.substr(colon + 1)};
        if (!isNumber(row.weightG) || !isNumber(row.raw)) {
            return std::nullopt;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void addCalibrateCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<CalibrateArguments>();
    CLI::App* calibrate = app.add_subcommand("calibrate", "Calibrate a well's load cell");
    calibrate->require_subcommand(1);

    CLI::App* read =
        calibrate->add_subcommand("read", "Print the well's averaged raw load cell reading");
    read->add_option("--well", arguments->well, "Well 1 to 6")
        ->required()
        ->check(CLI::Range(kFirstWell, kLastWell));
    addForceFlag(read, arguments->force);
    read->callback([&options, arguments] { options.exitStatus = runRead(*arguments, options); });

    CLI::App* fit = calibrate->add_subcommand(
        "fit", "Print the gain (N per raw count) fitted to weights and their raw readings");
    fit->add_option("readings", arguments->pairs, "WEIGHT_G:RAW pairs")->required();
    fit->callback([&options, arguments] { options.exitStatus = runFit(*arguments); });

    CLI::App* apply = calibrate->add_subcommand(
        "apply", "Store the well's full-scale load and gain and save all six records");
    apply->add_option("--well", arguments->well, "Well 1 to 6")
        ->required()
        ->check(CLI::Range(kFirstWell, kLastWell));
    apply->add_option("--full-scale-load", arguments->fullScaleLoad, "Full-scale load in N")
        ->required();
    apply->add_option("--gain", arguments->gain, "Gain in N per raw count")->required();
    addForceFlag(apply, arguments->force);
    apply->callback([&options, arguments] { options.exitStatus = runApply(*arguments, options); });
}

}  // namespace kyrvana::cli
