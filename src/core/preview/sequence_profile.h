#pragma once

// The commanded profile of a test sequence: for each well, the target the
// device drives over time, in each set's control quantity, for every pass of
// the sequence. It is what the preview chart draws and what `kyrvana-cli
// profile` prints.
//
// One repetition of a set is, in order:
//   preload  2 ms at the running position, when the set preloads in this
//            repetition (the same allowance the total time counts);
//   load     over the load duration, from the running position p to p + m
//            (m the well's magnitude);
//   hold     at p + m;
//   recovery over the recovery duration, back to p;
//   rest     at p.
// A set without a recovery duration never comes back: each repetition adds m
// to the running position (a set with neither duration jumps by m at the
// start of each repetition). A set with a recovery but no load duration only
// recovers: each repetition takes m off the running position. The running
// position carries over to the next set of the same quantity and to the next
// pass of the sequence.
//
// The waveforms shape the load and recovery phases as described with
// waveformFraction() (profile_set_shape.h): ramp and strain as straight
// ramps, step as a jump at the start of the phase, sinusoid as a smooth
// half-wave, custom as a ramp marked custom.
//
// Values are given per quantity in one unit: the unit of the first set of
// that quantity in the sequence (a sequence that mixes micrometre and
// millimetre sets is drawn in the unit it starts with).
//
// Nothing here depends on the process locale or throws.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/hardware/well_settings.h"
#include "core/preview/profile_range_table.h"
#include "core/preview/profile_set_shape.h"
#include "core/protocol/protocol.h"

namespace kyrvana {

// "Displacement", "Strain", "Force".
const char* profileQuantityName(ProfileQuantity quantity);

// What a profile is built from.
struct ProfileInputs {
    Protocol sequence;
    // Passes through the whole sequence ("Repeats of Entire Sequence"); 0 or
    // less gives an empty profile, as the total time shows 00:00:00.
    std::int32_t repeatCount = 1;
    DisabledWells disabledWells;
    // The device's hardware type decides the actuator's travel (2: the
    // stretching hardware).
    int hardwareType = 0;
    // Each well's load-cell full scale in newtons, known when a device is
    // connected; force sets are then limited by it.
    std::optional<std::array<float, kWellCount>> fullScaleLoads;
};

// One set in one pass of the sequence.
struct ProfileSetSpan {
    int setIndex = 0;
    int sequenceRepeat = 0;  // the pass, from 0
    double startSeconds = 0.0;
    double endSeconds = 0.0;
    std::int64_t repetitions = 0;
    ProfileQuantity quantity = ProfileQuantity::Displacement;
    std::string unit;  // the set's own unit ("um", "mm", "%", "mN", "uN", "N")
    bool custom = false;
    // True when some enabled well leaves the limits during this span.
    bool crossesLimit = false;
    std::string limitReason;  // empty when it crosses none
};

// The profile of one well at one time. A point that stands for a stretch of
// time holding more than one cycle carries the envelope (the lowest and
// highest target in that stretch); otherwise min == max == value.
struct ProfilePoint {
    double seconds = 0.0;
    double value = 0.0;
    double min = 0.0;
    double max = 0.0;
    bool envelope = false;
    int setIndex = 0;
    ProfileQuantity quantity = ProfileQuantity::Displacement;
};

// A preload: the actuator presses to the preload force before the load.
struct ProfileMarker {
    double seconds = 0.0;
    int well = 0;  // 0 to 5
    int setIndex = 0;
    double value = 0.0;  // the profile's target there, in the quantity's unit
    double preloadMilliNewtons = 0.0;
    std::string label;  // "Preload 50.0 mN"
};

// The range a quantity must stay in; a side without a bound is empty.
// Displacement: not below the start position (the running position where a
// repetition starts or ends), not beyond the actuator's travel. Force, with a
// device connected: within each well's full-scale load.
struct ProfileLimitBand {
    ProfileQuantity quantity = ProfileQuantity::Displacement;
    int well = -1;  // -1: every well
    std::optional<double> low;
    std::optional<double> high;
    std::string label;
};

// What lies under a time, for a hover text.
struct ProfileReading {
    int setIndex = -1;  // -1: no set there (outside the profile, or a disabled well)
    int sequenceRepeat = 0;
    std::int64_t repetition = 0;  // from 1
    double value = 0.0;
    ProfileQuantity quantity = ProfileQuantity::Displacement;
    std::string unit;   // the quantity's unit in this profile
    std::string phase;  // "Preload", "Load", "Hold", "Recovery", "Rest"
};

class SequenceProfile {
  public:
    explicit SequenceProfile(ProfileInputs inputs);

    // One pass through the sequence, exactly totalDurationSeconds for a
    // sequence without negative durations or repetitions.
    double passSeconds() const { return passSeconds_; }
    int repeatCount() const { return repeatCount_; }
    // All passes.
    double totalSeconds() const {
        return repeatCount_ > 0 ? passStart(repeatCount_ - 1) + passSeconds_ : 0.0;
    }

    bool wellEnabled(int well) const;
    // The unit of a quantity in this profile, empty when no set uses it.
    const std::string& unitOf(ProfileQuantity quantity) const;
    bool usesQuantity(ProfileQuantity quantity) const { return !unitOf(quantity).empty(); }

    // The spans of the first pass, one per set.
    const std::vector<ProfileSetSpan>& spans() const;
    // The spans of every pass that meet [t0, t1], at most maxCount of them in
    // time order.
    std::vector<ProfileSetSpan> spansBetween(double t0, double t1, int maxCount = 10000) const;
    // True when the set crosses a limit in any pass.
    bool setCrossesLimit(int setIndex) const;
    // The span of the set in the first pass where it crosses a limit (a
    // one-way set may reach one only after many passes), with the reason.
    std::optional<ProfileSetSpan> firstCrossing(int setIndex) const;
    // The set under a time, or -1.
    int spanAt(double seconds) const;

    // The profile of one well between t0 and t1 (clipped to the profile) at
    // `points` evenly spaced times (at least 2), and within each set:
    //  - where a repetition spans two points or more, its corners too (the
    //    ends of its phases; a jump shows as two points at the same time), so
    //    that single cycles are drawn exactly;
    //  - where it spans fewer, each point carries the envelope of the time
    //    it stands for (half a step either side, within its set);
    //  - the set's own ends.
    // Where more sets (over all passes) are in view than points, each time
    // gets one envelope point per quantity found around it instead. Every
    // well gets the same times and quantities. Empty for a disabled well or
    // an empty window. The work grows with `points` and the sets in view,
    // never with repetitions or passes.
    std::vector<ProfilePoint> sample(int well, double t0, double t1, int points) const;

    // The preloads between t0 and t1 for the enabled wells, in time order:
    // all of them where they lie further apart than (t1 - t0) / maxCount,
    // otherwise the first in each such stretch of time.
    std::vector<ProfileMarker> markers(double t0, double t1, int maxCount = 500) const;

    const std::vector<ProfileLimitBand>& limits() const;

    ProfileReading valueAt(int well, double seconds) const;

  private:
    // Every time in the profile is a pass's start plus a time within the
    // pass, computed the same way everywhere so that ends meet exactly.
    double passStart(std::int64_t pass) const { return static_cast<double>(pass) * passSeconds_; }
    // The set under a time: its shape, the pass and the seconds since the
    // pass's start; nullptr outside the profile.
    const ProfileSetShape* shapeAt(double seconds, int* pass, double* local) const;
    // The first and last pass that meet [t0, t1].
    std::pair<int, int> passesBetween(double t0, double t1) const;
    void layOutSets(const Protocol& sequence);
    void carryRunningPositions();
    void buildLimits();
    void buildRangeTables();
    // One limit a set must keep in one well: the value it reaches in the
    // first pass, how much further each pass takes it, and the bound.
    struct LimitTest {
        int well;
        double value;
        double slope;
        double limit;
        bool above;  // crossed above the bound, else below it
        const char* what;
        bool crossedIn(std::int64_t pass) const;
    };
    std::vector<LimitTest> limitTests(const ProfileSetShape& shape) const;
    // Why the set leaves the limits in the given pass; empty when it does not.
    std::string limitReason(const ProfileSetShape& shape, int pass) const;
    // The first pass in which the set crosses a limit, or -1.
    int firstCrossingPass(const ProfileSetShape& shape) const;
    ProfileSetSpan spanOf(const ProfileSetShape& shape, int pass) const;
    struct PreloadAt {
        const ProfileSetShape* shape;
        int pass;
        std::int64_t repetition;
        double seconds;
    };
    // The first preload at or after a time.
    std::optional<PreloadAt> nextPreload(double seconds) const;
    // Sets by time within a pass, and how many sets over all passes meet
    // [t0, t1].
    int setAtOrAfter(double local) const;
    int setAtOrBefore(double local) const;
    double setsInView(double t0, double t1) const;
    void samplePiece(int well, int pass, const ProfileSetShape& shape, double t0, double t1,
                     double step, std::vector<ProfilePoint>& points) const;
    // Per quantity, the values a well takes over [from, to], across sets and
    // passes.
    std::array<ValueRange, 3> rangesBetween(int well, double from, double to) const;
    void sampleAcrossSets(int well, double t0, double t1, int count,
                          std::vector<ProfilePoint>& points) const;

    int repeatCount_ = 0;
    int hardwareType_ = 0;
    std::optional<std::array<float, kWellCount>> fullScaleLoads_;
    double passSeconds_ = 0.0;
    std::array<bool, kWellCount> enabled_{};
    std::array<std::string, 3> units_;
    std::array<int, 3> firstSetOf_{-1, -1, -1};
    // The size of each quantity's unit in micrometres, per cent or
    // millinewtons.
    std::array<double, 3> unitSizes_{1.0, 1.0, 1.0};
    std::vector<ProfileSetShape> shapes_;
    std::vector<std::string> spanUnits_;
    std::vector<ProfileSetSpan> spans_;
    std::vector<int> firstCrossingPass_;
    // Per well and quantity: how far a pass moves the running position, and
    // the extremes of runs of sets in the first pass.
    std::array<std::array<double, kWellCount>, 3> passDrift_{};
    std::array<std::array<SetRangeTable, 3>, kWellCount> rangeTables_;
    // For each set, the first set from it on that preloads (-1: none).
    std::vector<int> nextPreloadingSet_;
    std::vector<ProfileLimitBand> limits_;
    // The limits in the profile's units.
    double travel_ = 0.0;
    std::array<double, kWellCount> fullScale_{};
};

// The profile of one well (or every enabled well) between `from` and `to` as
// CSV in the "C" locale: "seconds", the set number (from 1) and its unit, then
// per well its value and, when any row holds an envelope, its min and max
// (left empty on rows that hold none).
std::string profileCsv(const SequenceProfile& profile, std::optional<int> well, double from,
                       double to, int points);

}  // namespace kyrvana
