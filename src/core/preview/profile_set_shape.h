#pragma once

// One set of a sequence as the preview sees it: where it lies in a pass of the
// sequence, the shape of one repetition, and the running position of each
// well. Everything is closed form in the repetition number, so a set of two
// billion repetitions costs what a set of one does.

#include <array>
#include <cstdint>
#include <string>

#include "core/protocol/enumerations.h"
#include "core/protocol/set_record.h"

namespace kyrvana {

enum class ProfileQuantity { Displacement, Strain, Force };

// How the waveform shapes a moving phase: the fraction of the way from the
// phase's start value to its end value after the fraction u (0 to 1) of its
// duration.
//   Ramp, Strain  u: a straight ramp;
//   Step          1 from the start of the phase on: a jump, then flat;
//   Sinusoid      (1 - cos(pi u)) / 2: a smooth half-wave, slow at both ends;
//   Custom        u: the real shape is stored on the device, not in the
//                 sequence, so the set is drawn as a ramp and marked custom;
//   unknown codes u.
// Every shape rises monotonically from 0 to 1, so within a phase the extremes
// of any stretch of time lie at its ends: that is what lets an envelope over
// millions of repetitions be computed without visiting them.
double waveformFraction(FunctionType waveform, double u);

// How a repetition leaves the running position: a set with load and
// recovery comes back to where it started; one without a recovery duration
// only loads (a set with neither duration too: it jumps by the magnitude);
// one with a recovery but no load duration only recovers.
enum class SetMotion { Cycle, LoadOnly, RecoverOnly };
SetMotion setMotion(const SetRecord& set);

struct ValueRange {
    double min = 0.0;
    double max = 0.0;
    void include(double value);
    void include(const ValueRange& other);
};

// The phases of one repetition in order.
enum class RepetitionPhase { Preload, Load, Hold, Recovery, Rest };
inline constexpr int kPhaseCount = 5;
const char* repetitionPhaseName(RepetitionPhase phase);

struct ProfileSetShape {
    int setIndex = 0;
    ProfileQuantity quantity = ProfileQuantity::Displacement;
    FunctionType waveform = FunctionType::Ramp;
    SetMotion motion = SetMotion::Cycle;
    std::int64_t repetitions = 0;
    // Within one pass of the sequence, in seconds.
    double startSeconds = 0.0;
    double endSeconds = 0.0;
    // Phase durations in seconds (negative durations count as none); the
    // preload of the first repetition and of every later one.
    std::array<double, kPhaseCount> phaseSeconds{};
    double firstPreloadSeconds = 0.0;
    double laterPreloadSeconds = 0.0;
    // Per well, in the profile's unit of the quantity: the magnitude, the
    // running position where the set starts in the first pass, and how far
    // one pass of the whole sequence moves that quantity's running position.
    std::array<double, kWellCount> magnitude{};
    std::array<double, kWellCount> startPosition{};
    std::array<double, kWellCount> passDrift{};
    std::array<double, kWellCount> preloadMilliNewtons{};

    double durationSeconds() const { return endSeconds - startSeconds; }
    double cycleSeconds() const;  // without preload
    double firstRepetitionSeconds() const { return cycleSeconds() + firstPreloadSeconds; }
    double laterRepetitionSeconds() const { return cycleSeconds() + laterPreloadSeconds; }
    // The shortest repetition: what decides whether a stretch of time holds
    // more than one cycle.
    double shortestRepetitionSeconds() const;
    bool preloads(std::int64_t repetition) const;

    // How far one repetition moves the running position of a well.
    double drift(int well) const;
    // The running position where repetition k starts.
    double base(int well, int pass, std::int64_t k) const;
    double endPosition(int well, int pass) const { return base(well, pass, repetitions); }

    // The repetition running at `local` seconds after the set's start (0 to
    // repetitions - 1), and when it starts.
    std::int64_t repetitionAt(double local) const;
    double repetitionStart(std::int64_t k) const;

    // The target at `local` seconds after the set's start: `right` gives the
    // value just after a jump at that time, otherwise the value just before.
    double valueAt(int well, int pass, double local, bool right = true) const;
    RepetitionPhase phaseAt(double local) const;
    // The lowest and highest target between `from` and `to` seconds after
    // the set's start, in constant time.
    ValueRange envelope(int well, int pass, double from, double to) const;
    // The extremes of the whole set in a pass, from wholeRange.
    ValueRange wholeEnvelope(int well, int pass) const;
    // Fills wholeRange once the running positions are known.
    void cacheWholeRange();
    std::array<ValueRange, kWellCount> wholeRange{};  // in the first pass

    // The times, within a repetition, where a phase ends (and the next
    // begins), and whether the target can jump there.
    struct Corner {
        double seconds;
        bool jump;
    };
    std::array<Corner, kPhaseCount> corners(std::int64_t k) const;

  private:
    // The phase layout of repetition k: start and end of each phase and the
    // value at its ends as a multiple of the magnitude.
    struct Phase {
        double begin;
        double end;
        double from;
        double to;
        bool shaped;
    };
    std::array<Phase, kPhaseCount> phases(std::int64_t k) const;
    double relativeValue(std::int64_t k, double tau, bool right) const;
    ValueRange relativeRange(std::int64_t k, double from, double to) const;
    ValueRange repetitionRange() const;
};

// Builds the shape of set `index` (its place in the pass and its running
// positions are filled in by the profile).
ProfileSetShape makeSetShape(const SetRecord& set, int index);

}  // namespace kyrvana
