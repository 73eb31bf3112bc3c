#include "core/preview/profile_set_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/common/saturating_cast.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

constexpr int kPreload = static_cast<int>(RepetitionPhase::Preload);
constexpr int kLoad = static_cast<int>(RepetitionPhase::Load);
constexpr int kHold = static_cast<int>(RepetitionPhase::Hold);
constexpr int kRecovery = static_cast<int>(RepetitionPhase::Recovery);
constexpr int kRest = static_cast<int>(RepetitionPhase::Rest);

double phaseSecondsOf(std::int32_t milliseconds) {
    return milliseconds > 0 ? static_cast<double>(milliseconds) * 0.001 : 0.0;
}

// The value within a phase at `tau`, as a multiple of the magnitude.
template <typename Phase>
double phaseValue(const Phase& phase, FunctionType waveform, double tau) {
    if (!phase.shaped) {
        return phase.from;
    }
    const double length = phase.end - phase.begin;
    const double u = length > 0.0 ? std::clamp((tau - phase.begin) / length, 0.0, 1.0) : 1.0;
    return phase.from + (phase.to - phase.from) * waveformFraction(waveform, u);
}

}  // namespace

double waveformFraction(FunctionType waveform, double u) {
    switch (waveform) {
        case FunctionType::Step:
            return 1.0;
        case FunctionType::Sinusoid:
            return (1.0 - std::cos(std::numbers::pi * u)) * 0.5;
        case FunctionType::Ramp:
        case FunctionType::Strain:
        case FunctionType::Custom:
        case FunctionType::Unknown:
            break;
    }
    return u;
}

SetMotion setMotion(const SetRecord& set) {
    // The same decision the displacement range of the checks makes.
    if (set.recoveryDurationMs == 0) {
        return SetMotion::LoadOnly;
    }
    if (set.stretchDurationMs == 0) {
        return SetMotion::RecoverOnly;
    }
    return SetMotion::Cycle;
}

void ValueRange::include(double value) {
    min = std::min(min, value);
    max = std::max(max, value);
}

void ValueRange::include(const ValueRange& other) {
    include(other.min);
    include(other.max);
}

const char* repetitionPhaseName(RepetitionPhase phase) {
    switch (phase) {
        case RepetitionPhase::Preload:
            return "Preload";
        case RepetitionPhase::Load:
            return "Load";
        case RepetitionPhase::Hold:
            return "Hold";
        case RepetitionPhase::Recovery:
            return "Recovery";
        case RepetitionPhase::Rest:
            break;
    }
    return "Rest";
}

double ProfileSetShape::cycleSeconds() const {
    return phaseSeconds[kLoad] + phaseSeconds[kHold] + phaseSeconds[kRecovery] +
           phaseSeconds[kRest];
}

double ProfileSetShape::shortestRepetitionSeconds() const {
    return repetitions > 1 ? std::min(firstRepetitionSeconds(), laterRepetitionSeconds())
                           : firstRepetitionSeconds();
}

bool ProfileSetShape::preloads(std::int64_t repetition) const {
    return (repetition == 0 ? firstPreloadSeconds : laterPreloadSeconds) > 0.0;
}

double ProfileSetShape::drift(int well) const {
    switch (motion) {
        case SetMotion::LoadOnly:
            return magnitude[well];
        case SetMotion::RecoverOnly:
            return -magnitude[well];
        case SetMotion::Cycle:
            break;
    }
    return 0.0;
}

double ProfileSetShape::base(int well, int pass, std::int64_t k) const {
    return startPosition[well] + static_cast<double>(pass) * passDrift[well] +
           static_cast<double>(k) * drift(well);
}

std::int64_t ProfileSetShape::repetitionAt(double local) const {
    const double first = firstRepetitionSeconds();
    if (repetitions <= 1 || !(local >= first)) {
        return 0;
    }
    const double later = laterRepetitionSeconds();
    if (later <= 0.0) {
        return repetitions - 1;
    }
    const auto k = 1 + saturatingCast<std::int64_t>(std::floor((local - first) / later));
    return std::clamp<std::int64_t>(k, 0, repetitions - 1);
}

double ProfileSetShape::repetitionStart(std::int64_t k) const {
    if (k <= 0) {
        return 0.0;
    }
    return firstRepetitionSeconds() + static_cast<double>(k - 1) * laterRepetitionSeconds();
}

std::array<ProfileSetShape::Phase, kPhaseCount> ProfileSetShape::phases(std::int64_t k) const {
    // Ends of each phase as multiples of the magnitude, from the running
    // position where the repetition starts.
    double peak = 1.0;
    double settle = 0.0;
    if (motion == SetMotion::LoadOnly) {
        settle = 1.0;
    } else if (motion == SetMotion::RecoverOnly) {
        peak = 0.0;
        settle = -1.0;
    }
    std::array<double, kPhaseCount> lengths = phaseSeconds;
    lengths[kPreload] = k == 0 ? firstPreloadSeconds : laterPreloadSeconds;
    const std::array<double, kPhaseCount> from{0.0, 0.0, peak, peak, settle};
    const std::array<double, kPhaseCount> to{0.0, peak, peak, settle, settle};
    std::array<Phase, kPhaseCount> result{};
    double begin = 0.0;
    for (int i = 0; i < kPhaseCount; ++i) {
        const bool moving = i == kLoad || i == kRecovery;
        result[i] = Phase{begin, begin + lengths[i], from[i], to[i], moving};
        begin += lengths[i];
    }
    return result;
}

double ProfileSetShape::relativeValue(std::int64_t k, double tau, bool right) const {
    const auto layout = phases(k);
    for (const Phase& phase : layout) {
        const bool inside = right ? (phase.begin <= tau && tau < phase.end)
                                  : (phase.begin < tau && tau <= phase.end);
        if (inside) {
            return phaseValue(phase, waveform, tau);
        }
    }
    // Before the repetition, or at and after its end (where instant phases
    // have already made their jumps).
    const bool before = right ? tau < 0.0 : tau <= 0.0;
    return before ? layout.front().from : layout.back().to;
}

ValueRange ProfileSetShape::relativeRange(std::int64_t k, double from, double to) const {
    // Each phase is monotonic: its extremes within the window lie where the
    // window or the phase ends. (At a jump right on the window's edge this
    // takes in the value on the far side too, an instant's difference.)
    const auto layout = phases(k);
    const double end = layout.back().end;
    from = std::clamp(from, 0.0, end);
    to = std::clamp(to, from, end);
    ValueRange range{layout.back().to, layout.back().to};
    bool first = true;
    for (const Phase& phase : layout) {
        if (phase.end < from || phase.begin > to) {
            continue;
        }
        const double a = phaseValue(phase, waveform, std::clamp(from, phase.begin, phase.end));
        const double b = phaseValue(phase, waveform, std::clamp(to, phase.begin, phase.end));
        if (first) {
            range = ValueRange{a, a};
            first = false;
        }
        range.include(a);
        range.include(b);
    }
    return range;
}

ValueRange ProfileSetShape::repetitionRange() const {
    if (motion == SetMotion::RecoverOnly) {
        return ValueRange{-1.0, 0.0};
    }
    return ValueRange{0.0, 1.0};
}

double ProfileSetShape::valueAt(int well, int pass, double local, bool right) const {
    if (repetitions <= 0) {
        return base(well, pass, 0);
    }
    const std::int64_t k = repetitionAt(local);
    const double tau = local - repetitionStart(k);
    return base(well, pass, k) + magnitude[well] * relativeValue(k, tau, right);
}

RepetitionPhase ProfileSetShape::phaseAt(double local) const {
    const std::int64_t k = repetitionAt(local);
    const double tau = local - repetitionStart(k);
    const auto layout = phases(k);
    for (int i = 0; i < kPhaseCount; ++i) {
        if (layout[i].begin <= tau && tau < layout[i].end) {
            return static_cast<RepetitionPhase>(i);
        }
    }
    return RepetitionPhase::Rest;
}

ValueRange ProfileSetShape::envelope(int well, int pass, double from, double to) const {
    const double m = magnitude[well];
    const auto scaled = [&](std::int64_t k, const ValueRange& relative) {
        const double b = base(well, pass, k);
        ValueRange range{b + m * relative.min, b + m * relative.min};
        range.include(b + m * relative.max);
        return range;
    };
    if (repetitions <= 0) {
        const double b = base(well, pass, 0);
        return ValueRange{b, b};
    }
    if (to < from) {
        std::swap(from, to);
    }
    const std::int64_t first = repetitionAt(from);
    const std::int64_t last = repetitionAt(to);
    const double firstStart = repetitionStart(first);
    if (first == last) {
        return scaled(first, relativeRange(first, from - firstStart, to - firstStart));
    }
    const double firstLength = repetitionStart(first + 1) - firstStart;
    ValueRange range = scaled(first, relativeRange(first, from - firstStart, firstLength));
    range.include(scaled(last, relativeRange(last, 0.0, to - repetitionStart(last))));
    if (last - first >= 2) {
        // Whole repetitions in between: the running position moves linearly
        // with the repetition number, so the extremes are at either end.
        range.include(scaled(first + 1, repetitionRange()));
        range.include(scaled(last - 1, repetitionRange()));
    }
    return range;
}

void ProfileSetShape::cacheWholeRange() {
    for (int w = 0; w < kWellCount; ++w) {
        wholeRange[w] = envelope(w, 0, 0.0, durationSeconds());
    }
}

ValueRange ProfileSetShape::wholeEnvelope(int well, int pass) const {
    const double shift = static_cast<double>(pass) * passDrift[well];
    return ValueRange{wholeRange[well].min + shift, wholeRange[well].max + shift};
}

std::array<ProfileSetShape::Corner, kPhaseCount> ProfileSetShape::corners(std::int64_t k) const {
    const auto layout = phases(k);
    std::array<Corner, kPhaseCount> result{};
    for (int i = 0; i < kPhaseCount; ++i) {
        const Phase& phase = layout[i];
        const bool instant = phase.end <= phase.begin;
        const bool jump =
            phase.shaped && phase.from != phase.to && (instant || waveform == FunctionType::Step);
        result[i] = Corner{phase.begin, jump};
    }
    return result;
}

ProfileSetShape makeSetShape(const SetRecord& set, int index) {
    ProfileSetShape shape;
    shape.setIndex = index;
    shape.waveform = set.function[0];
    shape.motion = setMotion(set);
    shape.repetitions = std::max<std::int64_t>(set.numReps, 0);
    shape.phaseSeconds[kLoad] = phaseSecondsOf(set.stretchDurationMs);
    shape.phaseSeconds[kHold] = phaseSecondsOf(set.holdTimeMs);
    shape.phaseSeconds[kRecovery] = phaseSecondsOf(set.recoveryDurationMs);
    shape.phaseSeconds[kRest] = phaseSecondsOf(set.restTimeMs);
    const PreloadTiming timing = preloadTiming(set);
    const double preload = kPreloadMs * 0.001;
    shape.firstPreloadSeconds = timing == PreloadTiming::None ? 0.0 : preload;
    shape.laterPreloadSeconds = timing == PreloadTiming::EveryRepetition ? preload : 0.0;
    for (int w = 0; w < kWellCount; ++w) {
        // A file may hold "nan" or "inf"; such a well is drawn flat.
        shape.magnitude[w] = std::isfinite(set.magnitude[w]) ? set.magnitude[w] : 0.0;
        shape.preloadMilliNewtons[w] = std::isfinite(set.preloadMag[w]) ? set.preloadMag[w] : 0.0;
    }
    return shape;
}

}  // namespace kyrvana
