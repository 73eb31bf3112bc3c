// How quickly the document notices the stimulator: from the simulator's port
// appearing in a fake sysfs tree to the connected flag, and from its removal
// to the flag clearing, with the document's request thread running as in the
// program. Then the processor time of the idle request loop.
//
//   discovery_bench [rounds]     (default 5 rounds per settling delay)

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "core/common/c_locale_text.h"
#include "core/device/message_log.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_view_model.h"
#include "sim/simulated_stimulator.h"
#include "sim/sysfs_port_publisher.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Answers every box with OK and keeps the view's state; nothing else.
class BenchHost : public kyrvana::DocumentHost {
  public:
    kyrvana::BoxAnswer messageBox(const std::string& text, const std::string&, kyrvana::BoxIcon,
                                  kyrvana::BoxButtons) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return kyrvana::BoxAnswer::Ok;
    }
    void withView(const std::function<void(kyrvana::SequenceViewModel&)>& work) override {
        work(view_);
    }
    void postLogLine(const std::string&) override {}
    void connectionChanged() override {}
    void setBusy(bool) override {}
    void runTestDataDialog(kyrvana::DeviceLink&) override {}

  private:
    kyrvana::SequenceViewModel view_;  // request thread only
};

// Milliseconds until `condition` holds, or -1 after `limit`.
double millisecondsUntil(const std::function<bool()>& condition, Clock::time_point from,
                         Clock::duration limit) {
    while (!condition()) {
        if (Clock::now() - from > limit) {
            return -1.0;
        }
        std::this_thread::sleep_for(200us);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void report(const char* what, std::vector<double> values) {
    if (values.empty()) {
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %7.1f  median %7.1f  max %7.1f ms  (n=%zu)\n", what, values.front(),
                values[values.size() / 2], values.back(), values.size());
}

kyrvana::DocumentOptions optionsFor(const fs::path& root, std::chrono::milliseconds settle) {
    kyrvana::DocumentOptions options;
    options.sysfsRoot = root;
    options.settleDelay = settle;
    return options;
}

// Plugs the simulator in and out at random moments of the poll cycle.
bool measurePlugging(const fs::path& root, kyrvana::sim::SimulatedStimulator& device,
                     std::chrono::milliseconds settle, int rounds) {
    BenchHost host;
    kyrvana::CKyrvanaDoc document(host, optionsFor(root, settle));
    document.StartRequestThread();
    kyrvana::sim::SysfsPortPublisher publisher;
    std::mt19937 random(1);
    std::uniform_int_distribution<int> phase(0, 1000);
    std::vector<double> toConnected;
    std::vector<double> toDisconnected;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(phase(random)));
        std::string error;
        const Clock::time_point plugged = Clock::now();
        if (!publisher.publish(root, device.portPath(), &error)) {
            std::fprintf(stderr, "publish: %s\n", error.c_str());
            return false;
        }
        const double connectMs =
            millisecondsUntil([&] { return document.connected(); }, plugged, 15s);
        ok = connectMs >= 0 && document.requestThreadRunning();
        toConnected.push_back(connectMs);

        std::this_thread::sleep_for(std::chrono::milliseconds(phase(random)));
        const Clock::time_point unplugged = Clock::now();
        publisher.unpublish();
        const double disconnectMs =
            millisecondsUntil([&] { return !document.connected(); }, unplugged, 15s);
        ok = ok && disconnectMs >= 0;
        toDisconnected.push_back(disconnectMs);
    }
    document.StopRequestThread();
    const std::string label = kyrvana::cFormat("settle %4lld ms: port appears -> connected",
                                               static_cast<long long>(settle.count()));
    report(label.c_str(), toConnected);
    const std::string gone = kyrvana::cFormat("settle %4lld ms: port removed -> disconnected",
                                              static_cast<long long>(settle.count()));
    report(gone.c_str(), toDisconnected);
    if (!ok) {
        std::fprintf(stderr, "a round did not finish within 15 s\n");
    }
    return ok;
}

// The identification's own share: Connect without the settling wait.
void measureIdentification(kyrvana::sim::SimulatedStimulator& device, int rounds) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        kyrvana::DeviceLink link;
        link.portName = device.portPath();
        link.settleDelay = 0ms;
        const Clock::time_point started = Clock::now();
        if (const kyrvana::DeviceResult result = link.Connect(); !result) {
            std::fprintf(stderr, "connect failed: %s\n", result.describe().c_str());
            return;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        link.serial.CloseSerialPort();
    }
    report("identification alone (Connect, settle 0)", times);
}

// Processor time of the whole process while the request loop idles.
void measureIdle(const char* what, const fs::path& root, kyrvana::sim::SimulatedStimulator& device,
                 bool plugged) {
    BenchHost host;
    kyrvana::CKyrvanaDoc document(host, optionsFor(root, 0ms));
    kyrvana::sim::SysfsPortPublisher publisher;
    if (plugged) {
        std::string error;
        if (!publisher.publish(root, device.portPath(), &error)) {
            std::fprintf(stderr, "publish: %s\n", error.c_str());
            return;
        }
    }
    document.StartRequestThread();
    if (plugged && millisecondsUntil([&] { return document.connected(); }, Clock::now(), 15s) < 0) {
        std::fprintf(stderr, "did not connect\n");
        return;
    }
    std::this_thread::sleep_for(1500ms);  // past the connection's own work
    constexpr double kSeconds = 10.0;
    const double before = processorSeconds();
    const Clock::time_point started = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    const double used = processorSeconds() - before;
    std::printf("%-44s %.1f ms processor time in %.1f s (%.3f %% of one core)\n", what,
                used * 1000.0, wall, 100.0 * used / wall);
    document.StopRequestThread();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, kyrvana::cAtoi(argv[1])) : 5;
    kyrvana::MessageLog::Instance().SetStandardOutput(nullptr);

    const auto scratch = kyrvana::bench::ScratchFolder::make("kyrvana-discovery");
    if (!scratch) {
        return 1;
    }
    const fs::path& root = scratch->path();
    kyrvana::sim::SimulatedStimulator device;
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }

    std::printf("Discovery with the request thread polling once a second (%d rounds each)\n",
                rounds);
    measureIdentification(device, rounds * 2);
    bool ok = measurePlugging(root, device, 2000ms, rounds);
    ok = measurePlugging(root, device, 0ms, rounds * 2) && ok;
    measureIdle("idle loop, no device:", root, device, false);
    measureIdle("idle loop, device connected:", root, device, true);

    device.stop();
    return ok ? 0 : 1;
}
