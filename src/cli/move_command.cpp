#include "cli/move_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "cli/position_command.h"
#include "cli/running_test_refusal.h"
#include "core/common/c_locale_text.h"
#include "core/hardware/well_motion.h"

namespace kyrvana::cli {
namespace {

// A whole text that is one finite number.
std::optional<double> parseNumber(std::string_view text) {
    std::size_t used = 0;
    const double value = cStrtod(text, &used);
    if (used == 0 || used != text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::array<double, 6>> parseMoveAmounts(std::string_view text) {
    std::vector<double> numbers;
    for (;;) {
        const std::size_t comma = text.find(',');
        const auto number = parseNumber(text.substr(0, comma));
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    std::array<double, 6> amounts{};
    if (numbers.size() == 1) {
        amounts.fill(numbers[0]);
    } else if (numbers.size() == amounts.size()) {
        std::copy(numbers.begin(), numbers.end(), amounts.begin());
    } else {
        return std::nullopt;
    }
    return amounts;
}

void addMoveCommand(CLI::App& app, CliOptions& options) {
    auto by = std::make_shared<std::string>();
    CLI::App* move = app.add_subcommand(
        "move", "Move the wells by a relative amount in mm, as Move to Position's Apply does");
    move->add_option("--by", *by, "MM for every well, or MM1,MM2,MM3,MM4,MM5,MM6")->required();
    auto force = std::make_shared<bool>(false);
    addForceFlag(move, *force);
    move->callback([&options, by, force] {
        const auto amounts = parseMoveAmounts(*by);
        if (!amounts) {
            std::fprintf(stderr,
                         "kyrvana-cli: --by takes one amount in mm or six separated by commas, "
                         "such as 0.5 or 1,0,0,0,0,-1\n");
            options.exitStatus = kExitUsage;
            return;
        }
        options.exitStatus = withConnectedDevice(options, [&](DeviceLink& link) {
            if (!mayGoOnDespiteTest(link, *force, TestDisturbance::Actuators)) {
                return kExitFailure;
            }
            WellReadings readings{};
            DeviceResult result = readLoadCellZeros(link);
            result.keepFirstFailure(moveWellsBy(link, *amounts, readings));
            if (!result) {
                return reportFailure(result);
            }
            return printData(wellReadingsText(readings)) ? kExitSuccess : kExitFailure;
        });
    });
}

}  // namespace kyrvana::cli
