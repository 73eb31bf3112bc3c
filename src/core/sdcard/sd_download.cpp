#include "core/sdcard/sd_download.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "core/common/whole_file_writer.h"
#include "core/device/device_vocabulary.h"
#include "core/sdcard/sd_file_names.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

bool usableFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

// A transfer that came short, or whose bytes do not add up to the size the
// device announced.
void keepIncomplete(DownloadReport& report, WholeFileWriter& file, const fs::path& folder,
                    std::string_view name, StoppedDownload onStop) {
    report.outcome = DownloadOutcome::Incomplete;
    if (report.result) {
        // Every exchange worked, yet the bytes do not add up.
        report.result = DeviceResult::failure(DeviceFailure::Unusable, {},
                                              "the announced size does not match the bytes read");
    }
    // An interrupt wants the transfer gone, not a part of it. Otherwise what
    // arrived is kept under its own name; with nothing, or when it cannot be
    // kept, the temporary file goes with the writer.
    const bool discard =
        report.result.why() == DeviceFailure::Cancelled && onStop == StoppedDownload::Discard;
    if (report.transfer.bytesWritten > 0 && !discard && file.keepAs(incompleteFileName(name))) {
        report.savedAs = folder / incompleteFileName(name);
    }
}

}  // namespace

fs::path incompleteFileName(std::string_view name) {
    return fs::path(std::string(name) + ".incomplete");
}

int downloadProgressMaximum(std::int64_t size) {
    return static_cast<int>(std::max<std::int64_t>(size, 0) / kSdFilePiece);
}

int downloadProgressStep(std::int64_t done, std::int64_t size) {
    const std::int64_t pieces = (std::max<std::int64_t>(done, 0) + kSdFilePiece - 1) / kSdFilePiece;
    return static_cast<int>(std::min<std::int64_t>(pieces, downloadProgressMaximum(size)));
}

DownloadReport downloadSdFile(DeviceLink& link, std::string_view name, const fs::path& folder,
                              const DownloadProgress& progress, const std::atomic<bool>* stop,
                              StoppedDownload onStop) {
    DownloadReport report;
    const auto cannotOpen = [&report, name](DeviceFailure why, const std::string& what) {
        report.result = DeviceResult::failure(why, {}, what + ": " + std::string(name));
        return report;
    };
    // A name from the device is only ever a plain name inside the folder, and
    // it is never sent cut short.
    if (!isPlainFileName(name) || !fitsDownloadCommand(name)) {
        return cannotOpen(DeviceFailure::Refused, "not a usable file name");
    }
    if (!usableFolder(folder)) {
        return cannotOpen(DeviceFailure::FileFailed, "the download folder cannot be made");
    }
    // The bytes go to a temporary file beside the target, which becomes the
    // target only when every announced byte arrived and reached the disk; an
    // interrupt that ends the program removes it.
    const fs::path target = folder / fs::path(std::string(name));
    WholeFileWriter file(target);
    if (!file.isOpen()) {
        return cannotOpen(DeviceFailure::FileFailed,
                          "the download cannot be written there (" + file.result().reason() + ")");
    }

    const auto hold = link.Hold();
    report.transfer = link.ReadFileOnSDCard(name, file.stream(), progress, stop);
    const bool written = file.finish();
    const SdFileRead& transfer = report.transfer;
    report.result = transfer.result;
    if (report.result && !written) {
        report.result = DeviceResult::failure(DeviceFailure::FileFailed, {},
                                              "the download could not be flushed to the disk");
    }
    const bool whole = report.result && transfer.announcedSize >= 0 &&
                       transfer.bytesWritten == transfer.announcedSize;

    if (whole) {
        if (!file.replaceTarget()) {
            return cannotOpen(DeviceFailure::FileFailed, "the download cannot be put in place");
        }
        // What an earlier, broken download of the file left is now stale.
        std::error_code ec;
        fs::remove(folder / incompleteFileName(name), ec);
        report.outcome = DownloadOutcome::Complete;
        report.savedAs = target;
        return report;
    }

    keepIncomplete(report, file, folder, name, onStop);
    return report;
}

}  // namespace kyrvana
