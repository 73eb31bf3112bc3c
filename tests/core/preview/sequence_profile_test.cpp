// The profile's shape: waveforms and phases, one-way sets and the running
// position, disabled wells, limits and the total time.

#include "core/preview/sequence_profile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/editor/sequence_list_text.h"
#include "core/editor/sequence_view_model.h"
#include "core/protocol/sequence_totals.h"
#include "preview_test_sets.h"

namespace kyrvana {
namespace {

using preview_test::cycleSet;
using preview_test::profileOf;

// One repetition of 3 s: load 0-1 s, hold 1-1.5 s, recovery 1.5-2.5 s, rest
// 2.5-3 s, to 1000 um. Every waveform but the sinusoid and the step is drawn
// as a ramp.
struct ShapeCase {
    FunctionType waveform;
    double seconds;
    double expected;
    const char* phase;
};

TEST(SequenceProfileShape, EachWaveformThroughEachPhase) {
    const double quarter = 1000.0 * (1.0 - std::cos(M_PI / 4.0)) / 2.0;  // 146.45
    const ShapeCase cases[] = {
        {FunctionType::Ramp, 0.25, 250.0, "Load"},
        {FunctionType::Ramp, 1.25, 1000.0, "Hold"},
        {FunctionType::Ramp, 2.0, 500.0, "Recovery"},
        {FunctionType::Ramp, 2.75, 0.0, "Rest"},
        {FunctionType::Ramp, 3.5, 500.0, "Load"},
        {FunctionType::Sinusoid, 0.25, quarter, "Load"},
        {FunctionType::Sinusoid, 1.75, 1000.0 - quarter, "Recovery"},
        {FunctionType::Step, 1.49, 1000.0, "Hold"},
        {FunctionType::Step, 1.5, 0.0, "Recovery"},
    };
    for (const ShapeCase& c : cases) {
        SetRecord set = cycleSet(1000, 500, 1000, 500, 2, 1000.0);
        set.function[0] = c.waveform;
        const ProfileReading reading = profileOf({set}).valueAt(0, c.seconds);
        SCOPED_TRACE(testing::Message()
                     << "waveform " << static_cast<int>(c.waveform) << " at " << c.seconds);
        EXPECT_NEAR(reading.value, c.expected, 1e-9);
        EXPECT_EQ(reading.phase, c.phase);
        EXPECT_EQ(reading.repetition, c.seconds < 3.0 ? 1 : 2);
    }
}

// Running positions at given times, in the profile's unit of the quantity.
struct OneWayCase {
    const char* name;
    std::vector<SetRecord> sets;
    std::int32_t repeats;
    std::vector<std::pair<double, double>> expected;  // seconds, value of well 1
};

TEST(SequenceProfileRunningPosition, OneWaySetsMoveItAndLaterSetsStartThere) {
    SetRecord loadOnly = cycleSet(1000, 0, 0, 0, 3, 2.0, UnitsCode::Millimetres);
    SetRecord recoverOnly = cycleSet(0, 0, 1000, 0, 10, 1.0, UnitsCode::Millimetres);
    SetRecord micrometres = cycleSet(1000, 0, 0, 0, 2, 500.0);
    SetRecord millimetres = cycleSet(1000, 0, 1000, 0, 1, 1.0, UnitsCode::Millimetres);
    SetRecord force = cycleSet(1000, 0, 1000, 0, 1, 100.0, UnitsCode::Millinewtons);
    SetRecord forceOnly = cycleSet(1000, 0, 0, 0, 2, 100.0, UnitsCode::Millinewtons);
    const OneWayCase cases[] = {
        {"a staircase up, then down past the start",
         {loadOnly, recoverOnly},
         1,
         {{0.5, 1.0}, {1.5, 3.0}, {3.0, 6.0}, {3.5, 5.5}, {13.0, -4.0}}},
        {"a force set leaves the displacement position alone, drawn in micrometres",
         {micrometres, force, millimetres},
         1,
         {{1.0, 500.0}, {3.0, 100.0}, {4.0, 1000.0}, {5.0, 2000.0}}},
        {"each pass starts where the last one ended",
         {micrometres},
         3,
         {{2.0, 1000.0}, {2.5, 1250.0}, {6.0, 3000.0}}},
        {"force has its own running position",
         {forceOnly, micrometres},
         1,
         {{1.5, 150.0}, {3.0, 500.0}}},
    };
    for (const OneWayCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SequenceProfile profile = profileOf(c.sets, c.repeats);
        for (const auto& [seconds, value] : c.expected) {
            EXPECT_NEAR(profile.valueAt(0, seconds).value, value, 1e-9) << "at " << seconds;
        }
    }
}

TEST(SequenceProfileWells, DisabledWellsAreAbsentAndPreloadMarkersAreThinned) {
    SetRecord every = cycleSet(1000, 0, 1000, 0, 1000000, 1000.0);
    every.preloadType[0] = PreloadType::EveryRepetition;
    every.preloadMag = {50.0, 0.0, 20.0, 20.0, 20.0, 20.0};
    DisabledWells disabled;
    disabled.flags = {0, 0, 1, 0, 0, 0};
    const SequenceProfile profile = profileOf({every}, 1, disabled);

    EXPECT_TRUE(profile.sample(2, 0.0, profile.totalSeconds(), 50).empty());
    EXPECT_EQ(profile.valueAt(2, 1.0).setIndex, -1);
    EXPECT_FALSE(profile.sample(3, 0.0, profile.totalSeconds(), 50).empty());

    // A million preloads give at most one marker per stretch for each of the
    // four wells with a preload force; zoomed in, every one again: three
    // repetitions of 2.002 s.
    const std::vector<ProfileMarker> thinned = profile.markers(0.0, profile.totalSeconds(), 100);
    EXPECT_EQ(thinned.size(), 100u * 4u);
    EXPECT_EQ(thinned.front().label, "Preload 50.0 mN");
    EXPECT_EQ(profile.markers(1000.0, 1000.0 + 3 * 2.002, 100).size(), 3u * 4u);
}

struct LimitCase {
    const char* name;
    std::vector<SetRecord> sets;
    int hardwareType;
    std::int32_t repeats;
    const char* crossesFirstPass;  // one digit per set
    const char* crossesAnyPass;
};

TEST(SequenceProfileLimits, SetsThatLeaveTheTravelOrGoBelowTheStartAreMarked) {
    const SetRecord atTravel = cycleSet(1000, 0, 1000, 0, 5, 2000.0);
    const SetRecord beyondTravel = cycleSet(1000, 0, 1000, 0, 5, 2001.0);
    const SetRecord stretchMax = cycleSet(1000, 0, 1000, 0, 5, 23000.0);
    const SetRecord beyondStretch = cycleSet(1000, 0, 1000, 0, 5, 23001.0);
    const SetRecord negative = cycleSet(1000, 0, 1000, 0, 5, -10.0);
    const SetRecord climbing = cycleSet(1000, 0, 0, 0, 3, 1000.0);
    const SetRecord down = cycleSet(0, 0, 1000, 0, 4, 1.0, UnitsCode::Millimetres);
    const SetRecord inch = cycleSet(1000, 0, 0, 0, 1, 500.0);
    const LimitCase cases[] = {
        {"compressor's travel", {atTravel, beyondTravel}, 0, 1, "01", "01"},
        {"stretcher's travel", {stretchMax, beyondStretch}, 2, 1, "01", "01"},
        {"negative magnitude when compressing", {negative}, 0, 1, "1", "1"},
        {"a staircase past the travel", {climbing}, 0, 1, "1", "1"},
        {"back below the start", {climbing, down}, 2, 1, "01", "01"},
        {"only in a later pass", {inch}, 0, 5, "0", "1"},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SequenceProfile profile = profileOf(c.sets, c.repeats, {}, c.hardwareType);
        for (std::size_t i = 0; i < c.sets.size(); ++i) {
            const ProfileSetSpan& span = profile.spans()[i];
            EXPECT_EQ(span.crossesLimit, c.crossesFirstPass[i] == '1') << "set " << i;
            EXPECT_EQ(span.crossesLimit, !span.limitReason.empty());
            EXPECT_EQ(profile.setCrossesLimit(static_cast<int>(i)), c.crossesAnyPass[i] == '1');
        }
    }

    // A million passes of 1 um each: the travel is crossed in the 2000th,
    // found without walking the passes.
    SetRecord creep = inch;
    creep.magnitude = {1.0, 0.5, 0.5, 0.5, 0.5, 0.5};
    const SequenceProfile slow = profileOf({creep}, 1000000);
    ASSERT_TRUE(slow.firstCrossing(0).has_value());
    EXPECT_EQ(slow.firstCrossing(0)->sequenceRepeat, 2000);
    EXPECT_EQ(slow.firstCrossing(0)->limitReason, "Well 1 goes beyond the actuator's travel");
    EXPECT_FALSE(profileOf({creep}, 2000).setCrossesLimit(0));
}

TEST(SequenceProfileLimits, ForceSetsAreLimitedByEachWellsLoadCellWhenADeviceIsKnown) {
    SetRecord force = cycleSet(1000, 0, 1000, 0, 2, 150.0, UnitsCode::Millinewtons);
    force.magnitude = {150.0, 150.0, 90.0, 150.0, 150.0, 150.0};
    DisabledWells disabled;
    disabled.flags = {0, 0, 0, 1, 1, 1};
    EXPECT_FALSE(profileOf({force}, 1, disabled).spans()[0].crossesLimit);

    const std::array<float, kWellCount> loads{0.1f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f};
    const SequenceProfile profile = profileOf({force}, 1, disabled, 0, loads);
    EXPECT_EQ(profile.spans()[0].limitReason, "Well 1 goes beyond its load cell's full scale");
    ASSERT_EQ(profile.limits().size(), 3u);  // the enabled wells
    EXPECT_NEAR(*profile.limits()[1].high, 200.0, 1e-4);
}

struct TotalCase {
    const char* name;
    std::vector<SetRecord> sets;
    std::int32_t repeats;
};

TEST(SequenceProfileTotals, EndsWhereTheViewsTotalTimeSays) {
    SetRecord preloaded = cycleSet(1000, 0, 1000, 0, 3, 1000.0);
    preloaded.preloadType[0] = PreloadType::EveryRepetition;
    SetRecord firstOnly = preloaded;
    firstOnly.preloadType[0] = PreloadType::FirstRepetition;
    const TotalCase cases[] = {
        {"two sets, three passes",
         {cycleSet(1000, 500, 1000, 2000, 10, 1.0), cycleSet(1000, 500, 1000, 2000, 10, 1.0)},
         3},
        {"preloads", {preloaded, firstOnly}, 7},
        {"one-way sets", {cycleSet(1000, 0, 0, 0, 3, 1.0), cycleSet(0, 0, 700, 1, 9, 1.0)}, 2},
        {"no repeats", {cycleSet(1000, 0, 1000, 0, 1, 1.0)}, 0},
        {"no sets", {}, 4},
    };
    for (const TotalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SequenceViewModel view;
        view.workingSequence.sets = c.sets;
        view.showRepeatCount(c.repeats);
        const SequenceProfile profile = profileOf(c.sets, c.repeats);
        EXPECT_EQ(profile.passSeconds(), totalDurationSeconds(view.workingSequence));
        EXPECT_EQ(shownTotalSeconds(profile.passSeconds(), c.repeats), view.totalSeconds());
        const double end = c.repeats > 0 ? profile.passSeconds() * c.repeats : 0.0;
        EXPECT_DOUBLE_EQ(profile.totalSeconds(), end);
        const auto points = profile.sample(0, 0.0, 1e12, 100);
        if (end > 0.0) {
            ASSERT_FALSE(points.empty());
            EXPECT_EQ(points.front().seconds, 0.0);
            EXPECT_EQ(points.back().seconds, profile.totalSeconds());
        } else {
            EXPECT_TRUE(points.empty());
        }
        // Times that are no times give nothing, and no fault.
        const double nan = std::nan("");
        EXPECT_TRUE(profile.sample(0, nan, end, 10).empty());
        EXPECT_TRUE(profile.spansBetween(0.0, nan).empty());
        EXPECT_TRUE(profile.markers(nan, nan).empty());
        EXPECT_EQ(profile.valueAt(0, nan).setIndex, -1);
    }
}

}  // namespace
}  // namespace kyrvana
