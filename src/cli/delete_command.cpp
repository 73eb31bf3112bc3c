#include "cli/delete_command.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "cli/running_test_refusal.h"
#include "core/sdcard/sd_card_texts.h"
#include "core/sdcard/sd_deletion.h"
#include "core/sdcard/sd_file_listing.h"

namespace kyrvana::cli {
namespace {

struct DeleteArguments {
    std::vector<std::string> names;
    bool all = false;
    bool yes = false;
    bool force = false;
};

// The Delete All question on the terminal; true for an answer starting with y.
bool confirmDeleteAll() {
    std::fprintf(stderr, "%s [y/N] ", kDeleteAllQuestion);
    std::fflush(stderr);
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        return false;
    }
    return answer[0] == 'y' || answer[0] == 'Y';
}

// Prints the names that are gone: those of `before` not in `after`.
void printDeleted(const std::vector<SdFileEntry>& before, const std::vector<SdFileEntry>& after) {
    std::string text;
    for (const SdFileEntry& file : before) {
        bool kept = false;
        for (const SdFileEntry& left : after) {
            kept = kept || left.name == file.name;
        }
        if (!kept) {
            text += file.name + "\n";
        }
    }
    printData(text);
}

int runDelete(const DeleteArguments& arguments, DeviceLink& link) {
    std::vector<SdFileEntry> files;
    DeletionReport report;
    if (arguments.all) {
        const SdListing listing = readSdListing(link);
        if (!listing.result) {
            return reportFailure(listing.result);
        }
        files = listing.files;
        const std::vector<SdFileEntry> before = files;
        report = deleteAllSdFiles(link, files);
        printDeleted(before, files);
    } else {
        for (const std::string& name : arguments.names) {
            files.push_back({name, 0});
        }
        const std::vector<SdFileEntry> before = files;
        std::vector<std::size_t> indices;
        for (std::size_t i = 0; i < files.size(); ++i) {
            indices.push_back(i);
        }
        report = deleteSdFiles(link, files, indices);
        printDeleted(before, files);
    }
    if (report.result) {
        return kExitSuccess;
    }
    // Named files that stayed all failed; Delete All stopped at its first
    // entry, and the files after it were not tried.
    const std::size_t failed = arguments.all ? 1 : files.size();
    for (std::size_t i = 0; i < failed && i < files.size(); ++i) {
        std::fprintf(stderr, "%s: %s\n", kFileNotDeletedMessage, files[i].name.c_str());
    }
    return reportFailure(report.result);
}

}  // namespace

void addDeleteCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<DeleteArguments>();
    CLI::App* remove =
        app.add_subcommand("delete", "Delete test data files from the stimulator's SD card");
    CLI::Option* names =
        remove->add_option("names", arguments->names, "Names of the files (as `files` lists)");
    CLI::Option* all = remove->add_flag("--all", arguments->all, "Delete every listed file");
    names->excludes(all);
    remove->add_flag("--yes", arguments->yes, "Do not ask before deleting every file");
    addForceFlag(remove, arguments->force);
    remove->callback([&options, arguments] {
        if (arguments->names.empty() && !arguments->all) {
            std::fputs("kyrvana-cli: delete needs file names or --all\n", stderr);
            options.exitStatus = kExitUsage;
            return;
        }
        if (arguments->all && !arguments->yes) {
            if (::isatty(STDIN_FILENO) != 1) {
                std::fputs(
                    "kyrvana-cli: delete --all deletes every data file on the card; "
                    "confirm with --yes\n",
                    stderr);
                options.exitStatus = kExitUsage;
                return;
            }
            if (!confirmDeleteAll()) {
                options.exitStatus = kExitSuccess;
                return;
            }
        }
        options.exitStatus = withConnectedDevice(options, [&](DeviceLink& link) {
            if (!mayGoOnDespiteTest(link, arguments->force, TestDisturbance::TestData)) {
                return kExitFailure;
            }
            return runDelete(*arguments, link);
        });
    });
}

}  // namespace kyrvana::cli
