// Test-data download benchmark: a 10 MB file downloaded from the simulated
// stimulator's SD card the way the Access Test Data dialog and kyrvana-cli
// download do it (1 KiB pieces, temporary file, rename into place), first
// with answers at once and then with a delay before every answer.
//
//   sd_card_bench [--megabytes N] [--latency-ms N]
//
// Reported per 1 KiB piece: the wall time, the CPU time of the downloading
// thread (the host's own overhead), and with the delay the share of the ideal
// rate, 1 KiB per (delay + transfer time), that the download reaches; the
// transfer time is the wall time per piece without the delay.

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/device_link.h"
#include "core/device/message_log.h"
#include "core/sdcard/sd_download.h"
#include "sim/simulated_stimulator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

struct Run {
    bool identical = false;
    double wallSeconds = 0.0;
    double threadCpuSeconds = 0.0;
    std::int64_t pieces = 0;
};

Run Download(kyrvana::DeviceLink& link, const fs::path& folder, const std::string& content) {
    fs::remove(folder / "BENCH.DAT");
    Run run;
    const double cpuBefore = ThreadCpuSeconds();
    const auto start = Clock::now();
    const kyrvana::DownloadReport report = kyrvana::downloadSdFile(
        link, "BENCH.DAT", folder, [&run](std::int64_t, std::int64_t) { ++run.pieces; });
    run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.threadCpuSeconds = ThreadCpuSeconds() - cpuBefore;
    std::string copied(content.size(), '\0');
    std::ifstream(folder / "BENCH.DAT", std::ios::binary)
        .read(copied.data(), static_cast<std::streamsize>(copied.size()));
    run.identical = report.outcome == kyrvana::DownloadOutcome::Complete && copied == content;
    return run;
}

// The bare transport (DeviceLink::ReadFileOnSDCard into an unnamed file),
// for telling the download's own cost from the port's: wall seconds per piece.
double TransportPieceSeconds(kyrvana::DeviceLink& link) {
    std::FILE* target = std::tmpfile();
    std::int64_t pieces = 0;
    const auto start = Clock::now();
    link.ReadFileOnSDCard("BENCH.DAT", target, [&pieces](std::int64_t, std::int64_t) { ++pieces; });
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::fclose(target);
    return wall / static_cast<double>(std::max<std::int64_t>(pieces, 1));
}

// The median round trip of a short query, in seconds.
double MedianRoundTrip(kyrvana::DeviceLink& link, int exchanges) {
    std::vector<double> seconds;
    for (int i = 0; i < exchanges; ++i) {
        int value = 0;
        const auto before = Clock::now();
        (void)link.QueryInteger(kyrvana::command::QueryInternalValue(1), 128, value);
        seconds.push_back(std::chrono::duration<double>(Clock::now() - before).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = kyrvana::bench::intOption(argc, argv, "--megabytes", 10, 1);
    const int latencyMs = kyrvana::bench::intOption(argc, argv, "--latency-ms", 1, 1);
    kyrvana::MessageLog::Instance().SetStandardOutput(stderr);

    const auto scratch = kyrvana::bench::ScratchFolder::make("kyrvana-sd-card-bench");
    if (!scratch) {
        return 1;
    }
    const fs::path& folder = scratch->path();
    const fs::path card = folder / "card";
    const fs::path downloads = folder / "downloads";
    fs::create_directories(card / "DATA");

    // Megabytes of 10^6 bytes, as the card's sizes are shown.
    const std::string content = kyrvana::bench::writeRandomFile(
        card / "DATA" / "BENCH.DAT", static_cast<std::size_t>(megabytes) * 1000 * 1000, 7);

    const auto device = kyrvana::bench::CardOnLink::start(card);
    if (!device) {
        return 1;
    }
    kyrvana::sim::SimulatedStimulator& stimulator = device->stimulator;
    kyrvana::DeviceLink& link = device->link;

    const Run fast = Download(link, downloads, content);
    const double fastPiece = fast.wallSeconds / static_cast<double>(fast.pieces);
    const double fastTransport = TransportPieceSeconds(link);
    const double mb = static_cast<double>(content.size()) / 1e6;
    Print(kyrvana::cFormat(
        "No latency: %d MB in %lld pieces, %.3f s = %.2f MB/s (%s)\n"
        "  per 1 KiB piece: %.1f us wall, %.1f us CPU of the downloading thread "
        "(target: host overhead < 100 us); the bare transport: %.1f us wall\n",
        megabytes, static_cast<long long>(fast.pieces), fast.wallSeconds, mb / fast.wallSeconds,
        fast.identical ? "copy identical" : "COPY DIFFERS", fastPiece * 1e6,
        fast.threadCpuSeconds / static_cast<double>(fast.pieces) * 1e6, fastTransport * 1e6));

    const double quickTrip = MedianRoundTrip(link, 200);
    stimulator.setLatency(std::chrono::milliseconds(latencyMs));
    const double slowTrip = MedianRoundTrip(link, 200);
    const Run slow = Download(link, downloads, content);
    const double slowPiece = slow.wallSeconds / static_cast<double>(slow.pieces);
    const double latency = latencyMs / 1000.0;
    // The delay the simulator really adds (its timer wakes a little late).
    const double realDelay = slowTrip - quickTrip;
    Print(kyrvana::cFormat(
        "Latency %d ms: %.3f s = %.1f kB/s (%s)\n"
        "  per 1 KiB piece: %.1f us wall, %.1f us CPU of the downloading thread\n"
        "  ideal 1 KiB per (%d ms + %.1f us transfer): %.1f %% reached (target >= 97 %%)\n"
        "  the simulator's delay is really %.1f us (short-query round trip %.1f us -> "
        "%.1f us); against that: %.1f %%\n",
        latencyMs, slow.wallSeconds, mb * 1000.0 / slow.wallSeconds,
        slow.identical ? "copy identical" : "COPY DIFFERS", slowPiece * 1e6,
        slow.threadCpuSeconds / static_cast<double>(slow.pieces) * 1e6, latencyMs, fastPiece * 1e6,
        (latency + fastPiece) / slowPiece * 100.0, realDelay * 1e6, quickTrip * 1e6, slowTrip * 1e6,
        (realDelay + fastPiece) / slowPiece * 100.0));

    return fast.identical && slow.identical ? 0 : 1;
}
