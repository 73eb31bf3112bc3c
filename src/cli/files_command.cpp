#include "cli/files_command.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "core/sdcard/sd_file_listing.h"
#include "core/sdcard/storage_texts.h"

namespace kyrvana::cli {
namespace {

int runFiles(DeviceLink& link) {
    std::int64_t volumeKB = 0;
    if (const DeviceResult volume = link.QuerySDVolumeSizeKB(volumeKB); !volume) {
        // Without the card's size the used share cannot be told.
        return reportFailure(volume);
    }
    const SdListing listing = readSdListing(link);
    if (!listing.result) {
        // A listing that broke off would pass for the whole card.
        return reportFailure(listing.result);
    }
    std::string text = "File Name\tSize (kB)\n";
    for (const SdFileEntry& file : listing.files) {
        text += file.name + "\t" + fileSizeText(file.size) + "\n";
    }
    text += "Used Storage\t" + usedStorageText(listing.files, volumeKB) + "\n";
    return printData(text) ? kExitSuccess : kExitFailure;
}

}  // namespace

void addFilesCommand(CLI::App& app, CliOptions& options) {
    CLI::App* files =
        app.add_subcommand("files", "List the test data files on the stimulator's SD card");
    files->callback([&options] { options.exitStatus = withConnectedDevice(options, runFiles); });
}

}  // namespace kyrvana::cli
