// Builds the preview's profile of a sequence and samples it for the chart
// (2 000 points for each of the six wells, with its markers and set spans),
// and prints the median time of a round. Run by hand. The whole recompute and
// redraw after an edit should stay under 30 ms for a sequence the device
// takes (ten sets, any repetitions) and under 200 ms for the largest file
// the reader takes (1000 sets); this is the core's share of it.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/preview/sequence_profile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 31;
constexpr int kPoints = 2000;

kyrvana::SetRecord set(std::int32_t loadMs, std::int32_t holdMs, std::int32_t recoveryMs,
                       std::int32_t restMs, std::int32_t repetitions, int index) {
    kyrvana::SetRecord record;
    record.stretchDurationMs = loadMs;
    record.holdTimeMs = holdMs;
    record.recoveryDurationMs = recoveryMs;
    record.restTimeMs = restMs;
    record.numReps = repetitions;
    record.magnitude = {100.0 + index, 200.0, 300.0, 400.0, 500.0, 600.0};
    record.function[0] = static_cast<kyrvana::FunctionType>(index % 5);
    record.preloadType[0] = kyrvana::PreloadType::EveryRepetition;
    record.preloadMag.fill(10.0);
    return record;
}

// Ten sets the device takes, from a few repetitions to two billion.
kyrvana::ProfileInputs tenSets() {
    kyrvana::ProfileInputs inputs;
    const std::int32_t repetitions[] = {1,          10, 1000,   100000, 24000000,
                                        2000000000, 3,  500000, 7,      1000000};
    for (int i = 0; i < 10; ++i) {
        // Every third set moves one way (no recovery).
        inputs.sequence.append(
            set(250 + 50 * i, 100 * i, i % 3 == 0 ? 0 : 300, 50, repetitions[i], i));
    }
    inputs.repeatCount = 3;
    return inputs;
}

kyrvana::ProfileInputs fourWeeks() {
    kyrvana::ProfileInputs inputs;
    inputs.sequence.append(set(50, 0, 50, 0, 24000000, 0));
    return inputs;
}

kyrvana::ProfileInputs largestFile(std::int32_t repeats) {
    kyrvana::ProfileInputs inputs;
    for (int i = 0; i < 1000; ++i) {
        inputs.sequence.append(
            set(250 + i, i % 7 * 100, i % 4 == 0 ? 0 : 400, 100, 1 + i * 1000, i));
    }
    inputs.repeatCount = repeats;
    return inputs;
}

// One round: what the window does after an edit.
std::size_t recompute(const kyrvana::ProfileInputs& inputs, double fromShare, double toShare) {
    const kyrvana::SequenceProfile profile(inputs);
    const double t0 = profile.totalSeconds() * fromShare;
    const double t1 = profile.totalSeconds() * toShare;
    std::size_t points = 0;
    for (int well = 0; well < kyrvana::kWellCount; ++well) {
        points += profile.sample(well, t0, t1, kPoints).size();
    }
    points += profile.markers(t0, t1).size();
    points += profile.spansBetween(t0, t1).size();
    return points;
}

// Processor time of this thread, in milliseconds: on a busy machine the
// wall-clock time also counts the waits for a processor.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char* name, const kyrvana::ProfileInputs& inputs, double fromShare = 0.0,
             double toShare = 1.0) {
    std::vector<double> wall;
    std::vector<double> processor;
    std::size_t points = 0;
    for (int round = 0; round < kRounds; ++round) {
        const Clock::time_point start = Clock::now();
        const double startCpu = threadMilliseconds();
        points = recompute(inputs, fromShare, toShare);
        processor.push_back(threadMilliseconds() - startCpu);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::fputs(kyrvana::cFormat("%-44s median %7.2f ms wall, %7.2f ms processor (%zu points)\n",
                                name, median(wall), median(processor), points)
                   .c_str(),
               stdout);
}

}  // namespace

int main() {
    measure("10 sets, up to 2e9 repetitions, 3 passes", tenSets());
    measure("10 sets, zoomed to a millionth", tenSets(), 0.5, 0.500001);
    measure("24 000 000 repetitions of 100 ms", fourWeeks());
    measure("24 000 000 repetitions, zoomed to 1 s", fourWeeks(), 0.5, 0.5 + 1.0 / 2400000.0);
    measure("1000 sets", largestFile(1));
    measure("1000 sets, 1000 passes", largestFile(1000));
    return 0;
}
