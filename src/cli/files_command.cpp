#include "cli/files_command.h"

#include <cstdio>
#include <string>

#include "cli/connected_device.h"
#include "core/testdata/sd_file_listing.h"
#include "core/testdata/storage_texts.h"

namespace kyrvana::cli {
namespace {

int runFiles(DeviceLink& link) {
    const int volumeKB = querySdVolumeKB(link);
    const SdListing listing = readSdListing(link);
    std::string text = "File Name\tSize (kB)\n";
    for (const SdFileEntry& file : listing.files) {
        text += file.name + "\t" + fileSizeText(file.size) + "\n";
    }
    text += "Used Storage\t" + usedStorageText(listing.files, volumeKB) + "\n";
    if (!printData(text)) {
        return kExitFailure;
    }
    if (!listing.complete) {
        std::fputs("kyrvana-cli: the listing broke off; the files above are those listed so far\n",
                   stderr);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

void addFilesCommand(CLI::App& app, CliOptions& options) {
    CLI::App* files =
        app.add_subcommand("files", "List the test data files on the stimulator's SD card");
    files->callback([&options] { options.exitStatus = withConnectedDevice(options, runFiles); });
}

}  // namespace kyrvana::cli
