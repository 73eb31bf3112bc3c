#pragma once

// Downloading one test data file from the device's SD card into a folder.
//
// Test data are the result of weeks of culture, so a download never claims
// data it does not have and never spoils a good copy: the bytes go to a
// temporary file in the download folder, which replaces "<folder>/<name>"
// only when every announced byte arrived and reached the disk. A transfer
// that falls short (a piece that did not come, the device unplugged) leaves
// what arrived as "<name>.incomplete" and an earlier copy of the file as it
// was.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "core/device/device_link.h"

namespace kyrvana {

enum class DownloadOutcome {
    Complete,    // "<folder>/<name>" holds the whole file
    Incomplete,  // not all announced bytes arrived; an earlier copy is untouched
    CannotOpen,  // nothing was transferred: the name is not usable as a file
                 // name or in the command, or no file can be written there
};

struct DownloadReport {
    DownloadOutcome outcome = DownloadOutcome::CannotOpen;
    // Success exactly when the outcome is Complete; otherwise why not.
    DeviceResult result;
    SdFileRead transfer;  // what came over the port
    // Where the bytes were left: the file itself, "<name>.incomplete", or
    // empty when nothing was kept.
    std::filesystem::path savedAs;
};

// Called after every 1024-byte piece with the bytes requested so far and the
// size the device announced.
using DownloadProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// What becomes of the bytes that arrived before a stop request.
enum class StoppedDownload {
    Discard,         // an interrupt that ends the program leaves nothing behind
    KeepIncomplete,  // a person who stopped a long transfer keeps "<name>.incomplete"
};

// Downloads `name` into `folder` (made, with its parents, when missing). The
// link is held for the whole transfer. A complete download also removes a
// "<name>.incomplete" that an earlier one left. `stop`, when set (by a
// signal handler or a Cancel button), ends the transfer between two pieces,
// so that no piece is left half read on the line; what arrived is kept or
// not as `onStop` says, and an earlier copy stays as it was.
DownloadReport downloadSdFile(DeviceLink& link, std::string_view name,
                              const std::filesystem::path& folder,
                              const DownloadProgress& progress = {},
                              const std::atomic<bool>* stop = nullptr,
                              StoppedDownload onStop = StoppedDownload::Discard);

// The progress bar's last step for a file of `size` bytes (one step per
// whole kilobyte; a final short piece adds no step of its own), and the step
// after `done` bytes, never past the last.
int downloadProgressMaximum(std::int64_t size);
int downloadProgressStep(std::int64_t done, std::int64_t size);

// "<name>.incomplete"
std::filesystem::path incompleteFileName(std::string_view name);

}  // namespace kyrvana
