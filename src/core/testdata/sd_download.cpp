#include "core/testdata/sd_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "core/common/c_locale_text.h"
#include "core/testdata/sd_file_names.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kPiece = 1024;

// A temporary file in `folder`, open for binary writing; null when none can
// be made. Kept in the same folder so that the rename into place cannot
// cross file systems, and made with the usual permissions (0666 less the
// umask), which the finished file keeps.
std::FILE* makeTemporary(const fs::path& folder, fs::path& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            folder / cFormat(".kyrvana-download-%d-%u-%08x", static_cast<int>(::getpid()),
                             counter.fetch_add(1), static_cast<unsigned>(random()));
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return nullptr;
        }
        std::FILE* file = ::fdopen(fd, "wb");
        if (file == nullptr) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return nullptr;
        }
        path = candidate;
        return file;
    }
    return nullptr;
}

// Flushes the file to the disk and closes it; false when any step failed,
// in which case its content cannot be trusted.
bool closeDurably(std::FILE* file) {
    bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// Makes a rename within `folder` durable.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool usableFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

// An existing target that is not a plain file (a folder, a device) cannot be
// replaced by the download.
bool replaceableTarget(const fs::path& target) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    return !fs::exists(status) || fs::is_regular_file(status) || fs::is_symlink(status);
}

}  // namespace

fs::path incompleteFileName(std::string_view name) {
    return fs::path(std::string(name) + ".incomplete");
}

int downloadProgressMaximum(std::int64_t size) {
    return static_cast<int>(std::max<std::int64_t>(size, 0) / kPiece);
}

int downloadProgressStep(std::int64_t done, std::int64_t size) {
    const std::int64_t pieces = (std::max<std::int64_t>(done, 0) + kPiece - 1) / kPiece;
    return static_cast<int>(std::min<std::int64_t>(pieces, downloadProgressMaximum(size)));
}

DownloadReport downloadSdFile(DeviceLink& link, std::string_view name, const fs::path& folder,
                              const DownloadProgress& progress, const std::atomic<bool>* stop) {
    DownloadReport report;
    const auto cannotOpen = [&report, name](DeviceFailure why, const char* what) {
        report.result =
            DeviceResult::failure(why, {}, std::string(what) + ": " + std::string(name));
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
    const fs::path target = folder / fs::path(std::string(name));
    if (!replaceableTarget(target)) {
        return cannotOpen(DeviceFailure::FileFailed, "something that is not a file is in the way");
    }
    fs::path temporary;
    std::FILE* file = makeTemporary(folder, temporary);
    if (file == nullptr) {
        return cannotOpen(DeviceFailure::FileFailed, "no file can be written in the folder");
    }

    const auto hold = link.Hold();
    report.transfer = link.ReadFileOnSDCard(name, file, progress, stop);
    const bool written = closeDurably(file);
    const SdFileRead& transfer = report.transfer;
    report.result = transfer.result;
    if (report.result && !written) {
        report.result = DeviceResult::failure(DeviceFailure::FileFailed, {},
                                              "the download could not be flushed to the disk");
    }
    const bool whole = report.result && transfer.announcedSize >= 0 &&
                       transfer.bytesWritten == transfer.announcedSize;

    std::error_code ec;
    if (whole) {
        fs::rename(temporary, target, ec);
        if (ec) {
            fs::remove(temporary, ec);
            return cannotOpen(DeviceFailure::FileFailed, "the download cannot be put in place");
        }
        // What an earlier, broken download of the file left is now stale.
        fs::remove(folder / incompleteFileName(name), ec);
        syncFolder(folder);
        report.outcome = DownloadOutcome::Complete;
        report.savedAs = target;
        return report;
    }

    report.outcome = DownloadOutcome::Incomplete;
    if (report.result) {
        // Every exchange worked, yet the bytes do not add up (a negative size).
        report.result = DeviceResult::failure(DeviceFailure::Unusable, {},
                                              "the announced size does not match the bytes read");
    }
    // Stopped on request: the user wants the transfer gone, not a part of it.
    if (transfer.bytesWritten > 0 && report.result.why() != DeviceFailure::Cancelled) {
        const fs::path partial = folder / incompleteFileName(name);
        fs::rename(temporary, partial, ec);
        if (!ec) {
            syncFolder(folder);
            report.savedAs = partial;
            return report;
        }
    }
    // Nothing arrived (or the partial file cannot be kept): leave no file.
    fs::remove(temporary, ec);
    return report;
}

}  // namespace kyrvana
