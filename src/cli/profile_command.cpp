#include "cli/profile_command.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

#include "core/preview/sequence_profile.h"
#include "core/protocol/protocol_reader.h"

namespace kyrvana::cli {
namespace {

struct ProfileArguments {
    std::string file;
    std::optional<int> well;  // 1 to 6
    double from = 0.0;
    std::optional<double> to;  // the end of the profile when not given
    int points = 2000;
};

int runProfile(const ProfileArguments& arguments) {
    const double to = arguments.to.value_or(std::numeric_limits<double>::infinity());
    if (to < arguments.from) {
        std::fprintf(stderr, "kyrvana-cli: --to must not be before --from\n");
        return kExitUsage;
    }
    ProfileInputs inputs;
    HardwareSettings settings;
    if (!protocolWasRead(readProtocolFile(arguments.file, inputs.sequence, settings))) {
        std::fprintf(stderr, "kyrvana-cli: cannot read the protocol file %s\n",
                     arguments.file.c_str());
        return kExitFailure;
    }
    // A file carries no disabled wells and no device: every well, no
    // load-cell limits.
    inputs.repeatCount = settings.RepeatTestSequence;
    const SequenceProfile profile(std::move(inputs));
    std::optional<int> well;
    if (arguments.well) {
        well = *arguments.well - 1;
    }
    const std::string csv = profileCsv(profile, well, arguments.from, to, arguments.points);
    if (std::fputs(csv.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kyrvana-cli: cannot write to standard output\n");
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

void addProfileCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<ProfileArguments>();
    CLI::App* profile = app.add_subcommand(
        "profile",
        "Print the commanded profile of a protocol file per well as CSV, as the preview draws it");
    profile->add_option("FILE", arguments->file, "Protocol file (.tmt)")->required();
    profile->add_option("--well", arguments->well, "Only this well (1 to 6)")
        ->check(CLI::Range(1, kWellCount));
    profile->add_option("--from", arguments->from, "Start of the profile, in seconds")
        ->check(CLI::NonNegativeNumber);
    profile->add_option("--to", arguments->to, "End of the profile, in seconds (default: its end)")
        ->check(CLI::NonNegativeNumber);
    profile->add_option("--points", arguments->points, "Points across the time asked for")
        ->check(CLI::Range(2, 1000000));
    profile->callback([arguments, &options] { options.exitStatus = runProfile(*arguments); });
}

}  // namespace kyrvana::cli
