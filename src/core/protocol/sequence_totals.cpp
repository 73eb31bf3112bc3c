#include "core/protocol/sequence_totals.h"

#include <algorithm>

namespace kyrvana {

double totalDurationSeconds(const Protocol& protocol) {
    double total = 0.0;
    for (int i = 0; i < protocol.setCount(); ++i) {
        const SetRecord& set = *protocol.setAt(i);
        const double cycleMs =
            static_cast<double>(set.stretchDurationMs) + static_cast<double>(set.holdTimeMs) +
            static_cast<double>(set.recoveryDurationMs) + static_cast<double>(set.restTimeMs);
        total += (static_cast<double>(set.numReps) * cycleMs + preloadExtra(protocol, i)) * 0.001;
    }
    return total;
}

PreloadTiming preloadTiming(const SetRecord& set) {
    const auto any = [&](PreloadType type) {
        return set.preloadType[0] == type || set.preloadType[1] == type;
    };
    if (any(PreloadType::EveryRepetition)) {
        return PreloadTiming::EveryRepetition;
    }
    if (any(PreloadType::FirstRepetition)) {
        return PreloadTiming::FirstRepetition;
    }
    return PreloadTiming::None;
}

double preloadExtra(const Protocol& protocol, int index) {
    const SetRecord* set = protocol.setAt(index);
    if (set == nullptr || set->numReps <= 0) {
        return 0.0;
    }
    // Counted in closed form: a file may ask for two billion repetitions.
    switch (preloadTiming(*set)) {
        case PreloadTiming::EveryRepetition:
            return kPreloadMs * static_cast<double>(set->numReps);
        case PreloadTiming::FirstRepetition:
            return kPreloadMs;
        case PreloadTiming::None:
            break;
    }
    return 0.0;
}

DisplacementRange displacementRange(const Protocol& protocol) {
    DisplacementRange range;
    double position = 0.0;
    for (const SetRecord& set : protocol.sets) {
        if (set.units[0] == UnitsCode::Millimetres) {
            const double travel = static_cast<double>(set.numReps) * set.magnitude[0];
            if (set.recoveryDurationMs == 0) {
                position += travel;
            } else if (set.stretchDurationMs == 0) {
                position -= travel;
            }
        }
        range.max = std::max(range.max, position);
        range.min = std::min(range.min, position);
    }
    return range;
}

}  // namespace kyrvana
