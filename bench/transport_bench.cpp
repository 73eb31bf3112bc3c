// Transport benchmark: a 10 MB file read from the simulated stimulator's SD
// card through DeviceLink (throughput and host CPU per megabyte), and the
// round trip of one "QueryInternalValue(1)" exchange. Run by hand:
//   transport_bench [--megabytes N] [--exchanges N]

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
#include "sim/simulated_stimulator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

// User plus system CPU time of the process (all threads) or of this thread.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = kyrvana::bench::intOption(argc, argv, "--megabytes", 10, 1);
    const int exchanges = kyrvana::bench::intOption(argc, argv, "--exchanges", 1000, 1);
    kyrvana::MessageLog::Instance().SetStandardOutput(stderr);

    const auto scratch = kyrvana::bench::ScratchFolder::make("kyrvana-bench");
    if (!scratch) {
        return 1;
    }
    const fs::path& folder = scratch->path();
    const fs::path card = folder / "card";
    fs::create_directories(card / "DATA");

    const std::size_t size = static_cast<std::size_t>(megabytes) * 1024 * 1024;
    const std::string content =
        kyrvana::bench::writeRandomFile(card / "DATA" / "BENCH.CSV", size, 42);

    const auto device = kyrvana::bench::CardOnLink::start(card);
    if (!device) {
        return 1;
    }
    kyrvana::DeviceLink& link = device->link;

    // ---- SD-card file read ----
    const fs::path copy = folder / "copy.bin";
    std::FILE* target = std::fopen(copy.c_str(), "wb");
    const double processCpuBefore = CpuSeconds(RUSAGE_SELF);
    const double threadCpuBefore = CpuSeconds(RUSAGE_THREAD);
    const auto start = Clock::now();
    const kyrvana::SdFileRead read = link.ReadFileOnSDCard("BENCH.CSV", target);
    std::fclose(target);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double processCpu = CpuSeconds(RUSAGE_SELF) - processCpuBefore;
    const double threadCpu = CpuSeconds(RUSAGE_THREAD) - threadCpuBefore;

    std::string copied(size, '\0');
    std::ifstream(copy, std::ios::binary).read(copied.data(), static_cast<std::streamsize>(size));
    const bool identical = read.result.ok() &&
                           read.bytesWritten == static_cast<std::int64_t>(size) &&
                           copied == content;
    const double mb = static_cast<double>(size) / (1024.0 * 1024.0);
    Print(kyrvana::cFormat("SD-card read: %.0f MB in %.3f s = %.2f MB/s (%s)\n", mb, wall,
                           mb / wall, identical ? "copy identical" : "COPY DIFFERS"));
    Print(kyrvana::cFormat(
        "  host CPU: %.4f s/MB for the whole process (transport and simulator threads), "
        "%.4f s/MB on the transport's thread\n",
        processCpu / mb, threadCpu / mb));

    // ---- One exchange ----
    const std::string query = kyrvana::command::QueryInternalValue(1);
    std::vector<double> microseconds;
    microseconds.reserve(static_cast<std::size_t>(exchanges));
    for (int i = 0; i < exchanges; ++i) {
        int state = 0;
        const auto before = Clock::now();
        if (const kyrvana::DeviceResult result = link.QueryInteger(query, 128, state); !result) {
            std::fprintf(stderr, "exchange %d failed: %s\n", i, result.describe().c_str());
            return 1;
        }
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - before).count());
    }
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double fraction) {
        return microseconds[static_cast<std::size_t>(fraction *
                                                     static_cast<double>(microseconds.size() - 1))];
    };
    Print(kyrvana::cFormat(
        "%s round trip over %d exchanges: median %.1f us, 95th percentile %.1f us, "
        "max %.1f us\n",
        query.c_str(), exchanges, at(0.5), at(0.95), microseconds.back()));

    return identical ? 0 : 1;
}
