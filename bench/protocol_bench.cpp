// Reads and writes a protocol file of ten sets many times and prints the time
// per file. Run by hand; the figures should stay far below a millisecond.

#include <chrono>
#include <cstdio>
#include <string>

#include "core/common/c_locale_text.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/protocol_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 100000;

kyrvana::Protocol tenSets() {
    kyrvana::Protocol protocol;
    for (int i = 0; i < 10; ++i) {
        kyrvana::SetRecord set;
        set.name = kyrvana::cFormat("Set %d of ten", i + 1);
        set.numReps = 10 + i;
        set.holdTimeMs = 500 * i;
        set.magnitude = {100.5 * i, 200.25, 300.0, 1e6, 0.001, 42.0};
        set.preloadMag[0] = 12.5;
        set.preloadType[0] = kyrvana::PreloadType::EveryRepetition;
        set.timeUnits = kyrvana::TimeUnits::Minutes;
        protocol.append(set);
    }
    return protocol;
}

double microsecondsPerRound(Clock::duration elapsed) {
    return std::chrono::duration<double, std::micro>(elapsed).count() / kRounds;
}

}  // namespace

int main() {
    kyrvana::Protocol protocol = tenSets();
    kyrvana::HardwareSettings hardware;
    const std::string text = kyrvana::protocolFileText(protocol, hardware);

    std::size_t sink = 0;
    const Clock::time_point writeStart = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
        sink += kyrvana::protocolFileText(protocol, hardware).size();
    }
    const Clock::duration writeTime = Clock::now() - writeStart;

    const Clock::time_point readStart = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
        kyrvana::Protocol read;
        kyrvana::HardwareSettings readHardware;
        if (kyrvana::readProtocolText(text, read, readHardware) !=
                kyrvana::ProtocolReadStatus::Complete ||
            read.setCount() != 10) {
            std::fputs("protocol_bench: the file did not read back\n", stderr);
            return 1;
        }
        sink += read.sets.size();
    }
    const Clock::duration readTime = Clock::now() - readStart;

    std::fputs(kyrvana::cFormat("file of 10 sets, %zu bytes, %d rounds (checksum %zu)\n"
                                "read:  %.2f us per file\nwrite: %.2f us per file\n",
                                text.size(), kRounds, sink, microsecondsPerRound(readTime),
                                microsecondsPerRound(writeTime))
                   .c_str(),
               stdout);
    return 0;
}
