// Programming benchmark: Program Device of a ten-set sequence against the
// simulated stimulator answering each command after a fixed latency. Prints
// the number of exchanges, the wall time, and the ratio of that time to
// exchanges x latency (1.0 would mean the program adds nothing to the
// device's own answer time). Run by hand:
//   programming_bench [--latency-ms N] [--runs N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/common/c_locale_text.h"
#include "core/device/message_log.h"
#include "core/document/document_host.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/device_programming.h"
#include "sim/simulated_stimulator.h"

namespace {

using Clock = std::chrono::steady_clock;

// The view lives in memory; nothing is shown.
class BenchHost : public kyrvana::DocumentHost {
  public:
    kyrvana::BoxAnswer messageBox(const std::string& text, const std::string&, kyrvana::BoxIcon,
                                  kyrvana::BoxButtons) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return kyrvana::BoxAnswer::Ok;
    }
    void withView(const std::function<void(kyrvana::SequenceViewModel&)>& work) override {
        work(view);
    }
    void postLogLine(const std::string&) override {}
    void connectionChanged() override {}
    void setBusy(bool) override {}
    void runTestDataDialog(kyrvana::DeviceLink&) override {}

    kyrvana::SequenceViewModel view;
};

kyrvana::Protocol tenSets() {
    kyrvana::Protocol sequence;
    for (int i = 0; i < 10; ++i) {
        kyrvana::SetRecord set;
        set.name = kyrvana::cFormat("Bench set %d", i + 1);
        set.magnitude.fill(100.0 * (i + 1) + 0.5);
        set.stretchDurationMs = 1000 + 100 * i;
        set.holdTimeMs = 200;
        set.restTimeMs = 5000;
        set.numReps = 100 * (i + 1);
        sequence.append(set);
    }
    return sequence;
}

}  // namespace

int main(int argc, char** argv) {
    const int latencyMs = kyrvana::bench::intOption(argc, argv, "--latency-ms", 1, 0);
    const int runs = kyrvana::bench::intOption(argc, argv, "--runs", 5, 1);

    // The device's identification lines are not part of the figures.
    kyrvana::MessageLog::Instance().SetStandardOutput(nullptr);

    kyrvana::sim::SimulatorOptions options;
    options.latency = std::chrono::milliseconds(latencyMs);
    kyrvana::sim::SimulatedStimulator stimulator(options);
    std::string error;
    if (!stimulator.start(&error)) {
        std::fprintf(stderr, "cannot start the simulator: %s\n", error.c_str());
        return 1;
    }
    BenchHost host;
    kyrvana::DocumentOptions documentOptions;
    documentOptions.settleDelay = std::chrono::milliseconds(0);
    kyrvana::CKyrvanaDoc document(host, documentOptions);
    document.link().portName = stimulator.portPath();
    if (!document.ConnectDevice()) {
        return 1;
    }
    host.view.workingSequence = tenSets();
    host.view.testName = "Bench";

    std::vector<double> seconds;
    std::size_t exchanges = 0;
    for (int run = 0; run < runs; ++run) {
        stimulator.clearReceivedCommands();
        const auto start = Clock::now();
        const kyrvana::ProgrammingReport report = kyrvana::ProgramDevice(document);
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        exchanges = stimulator.receivedCommands().size();
        if (!report.ok()) {
            std::fprintf(stderr, "programming failed: %s\n", report.outcome.describe().c_str());
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double floor = static_cast<double>(exchanges) * latencyMs / 1000.0;
    std::printf("Program Device, 10 sets, simulator latency %d ms, %d runs\n", latencyMs, runs);
    std::printf("  exchanges: %zu\n", exchanges);
    std::printf("  wall time: median %.1f ms (fastest %.1f ms, slowest %.1f ms)\n", median * 1000.0,
                seconds.front() * 1000.0, seconds.back() * 1000.0);
    if (floor > 0.0) {
        std::printf("  time / (exchanges x latency): %.2f\n", median / floor);
    }
    std::printf("  per exchange: %.3f ms\n", median * 1000.0 / static_cast<double>(exchanges));
    document.DisconnectDevice();
    stimulator.stop();
    return 0;
}
