#include "cli/download_command.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_device.h"
#include "cli/connected_device.h"
#include "cli/interrupt_request.h"
#include "cli/running_test_refusal.h"
#include "core/common/c_locale_text.h"
#include "core/sdcard/sd_card_texts.h"
#include "core/sdcard/sd_download.h"
#include "core/sdcard/sd_file_listing.h"

namespace kyrvana::cli {
namespace {

struct DownloadArguments {
    std::vector<std::string> names;
    bool all = false;
    std::string folder = ".";
    bool force = false;
};

// "\rNAME  123 / 4567 kB", redrawn at most ten times a second.
class ProgressLine {
  public:
    explicit ProgressLine(std::string name) : name_(std::move(name)) {}
    ~ProgressLine() {
        if (shown_) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
        }
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(std::int64_t done, std::int64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && done < total && now - last_ < std::chrono::milliseconds(100)) {
            return;
        }
        last_ = now;
        shown_ = true;
        std::fprintf(stderr, "\r%s  %lld / %lld kB", name_.c_str(),
                     static_cast<long long>(done / 1000), static_cast<long long>(total / 1000));
        std::fflush(stderr);
    }

  private:
    std::string name_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// One line on standard error: why `name` was not downloaded.
void sayWhy(const std::string& name, const DeviceResult& result) {
    std::fprintf(stderr, "kyrvana-cli: %s: %s\n", name.c_str(), result.describe().c_str());
}

// Whether the card's listing lacks `name`; false when the listing itself
// cannot be read (then nothing is known).
bool cardDoesNotList(DeviceLink& link, const std::string& name) {
    const SdListing listing = readSdListing(link);
    return listing.result &&
           std::none_of(listing.files.begin(), listing.files.end(),
                        [&name](const SdFileEntry& file) { return file.name == name; });
}

// One file, with a progress line while it comes when standard error is a
// terminal.
DownloadReport downloadOne(DeviceLink& link, const std::string& name, const std::string& folder,
                           bool terminal, InterruptRequest& interrupt) {
    ProgressLine line(name);
    DownloadProgress progress;
    if (terminal) {
        progress = [&line](std::int64_t done, std::int64_t total) { line.show(done, total); };
    }
    return downloadSdFile(link, name, folder, progress, interrupt.flag());
}

// What became of one file: its line on standard output, or why it was not
// saved whole on standard error. Returns the exit status that this file
// sets, none for a complete file.
std::optional<int> reportDownload(const DownloadReport& report, const std::string& name, bool all,
                                  DeviceLink& link) {
    switch (report.outcome) {
        case DownloadOutcome::Complete:
            printData(name + "\t" + kDownloadCompleteStatus + "\t" + report.savedAs.string() +
                      "\n");
            return std::nullopt;
        case DownloadOutcome::Incomplete:
            // A file left out whole (stopped, or nothing arrived) has no
            // path to show.
            if (!report.savedAs.empty()) {
                printData(name + "\t" + kDownloadIncompleteStatus + "\t" + report.savedAs.string() +
                          "\n");
            }
            // The device answers a name it cannot open with a size of
            // -1; a name mistyped or from another card is the usual
            // cause, and the listing tells.
            if (report.transfer.bytesWritten == 0 && !all && !report.result.wentUnanswered() &&
                report.result.why() != DeviceFailure::Cancelled && cardDoesNotList(link, name)) {
                std::fprintf(stderr,
                             "kyrvana-cli: %s: the SD card lists no file of that name (the "
                             "files command shows what it holds)\n",
                             name.c_str());
            } else {
                sayWhy(name, report.result);
            }
            return kExitFailure;
        case DownloadOutcome::CannotOpen:
            std::fprintf(stderr, "%s: %s\n", kCannotOpenForWritingMessage, name.c_str());
            return reportFailure(report.result);
    }
    return std::nullopt;
}

// The files are downloaded as one operation: the first exchange the device
// does not answer ends it, instead of costing a time-out per remaining file.
// A file whose answers came but could not be used fails alone, and the next
// one starts on a line brought back into step.
int runDownload(const DownloadArguments& arguments, DeviceLink& link, InterruptRequest& interrupt) {
    interrupt.wakeReadsOf(&link.serial);
    const auto operation = link.BeginOperation();
    std::vector<std::string> names = arguments.names;
    if (arguments.all) {
        const SdListing listing = readSdListing(link);
        if (!listing.result) {
            return reportFailure(listing.result);
        }
        for (const SdFileEntry& file : listing.files) {
            names.push_back(file.name);
        }
    }
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    int status = kExitSuccess;
    for (std::size_t next = 0; next < names.size(); ++next) {
        const std::string& name = names[next];
        const DownloadReport report =
            downloadOne(link, name, arguments.folder, terminal, interrupt);
        if (const std::optional<int> fileStatus =
                reportDownload(report, name, arguments.all, link)) {
            status = *fileStatus;
        }
        const bool interrupted = report.result.why() == DeviceFailure::Cancelled;
        if ((interrupted || report.result.wentUnanswered()) && next + 1 < names.size()) {
            std::fprintf(stderr, "kyrvana-cli: %zu more file(s) not downloaded\n",
                         names.size() - next - 1);
            break;
        }
    }
    return status;
}

}  // namespace

void addDownloadCommand(CLI::App& app, CliOptions& options) {
    auto arguments = std::make_shared<DownloadArguments>();
    CLI::App* download =
        app.add_subcommand("download", "Download test data files from the stimulator's SD card");
    CLI::Option* names =
        download->add_option("names", arguments->names, "Names of the files (as `files` lists)");
    CLI::Option* all = download->add_flag("--all", arguments->all, "Download every listed file");
    names->excludes(all);
    addForceFlag(download, arguments->force);
    download->add_option("--to", arguments->folder,
                         "Folder to download into (made when missing; default: the current one)");
    download->callback([&options, arguments] {
        if (arguments->names.empty() && !arguments->all) {
            std::fputs("kyrvana-cli: download needs file names or --all\n", stderr);
            options.exitStatus = kExitUsage;
            return;
        }
        // From before the connection: an interrupt during the settling wait
        // stops the download before its first file.
        InterruptRequest interrupt;
        options.exitStatus = withConnectedDevice(options, [&](DeviceLink& link) {
            if (!mayGoOnDespiteTest(link, arguments->force, TestDisturbance::TestData)) {
                return kExitFailure;
            }
            return runDownload(*arguments, link, interrupt);
        });
    });
}

}  // namespace kyrvana::cli
