// The profile's shape: waveforms and phases, one-way sets and the running
// position, preloads, disabled wells, limits and the total time.

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
        {FunctionType::Custom, 0.25, 250.0, "Load"},
        {FunctionType::Sinusoid, 0.25, quarter, "Load"},
        {FunctionType::Sinusoid, 0.5, 500.0, "Load"},
        {FunctionType::Sinusoid, 1.75, 1000.0 - quarter, "Recovery"},
        {FunctionType::Step, 0.0, 1000.0, "Load"},
        {FunctionType::Step, 1.49, 1000.0, "Hold"},
        {FunctionType::Step, 1.5, 0.0, "Recovery"},
    };
    for (const ShapeCase& c : cases) {
        SetRecord set = cycleSet(1000, 500, 1000, 500, 2, 1000.0);
        set.function[0] = c.waveform;
        const SequenceProfile profile = profileOf({set});
        const ProfileReading reading = profile.valueAt(0, c.seconds);
        SCOPED_TRACE(testing::Message()
                     << "waveform " << static_cast<int>(c.waveform) << " at " << c.seconds);
        EXPECT_NEAR(reading.value, c.expected, 1e-9);
        EXPECT_EQ(reading.phase, c.phase);
        EXPECT_EQ(reading.repetition, c.seconds < 3.0 ? 1 : 2);
        EXPECT_EQ(profile.spans()[0].custom, c.waveform == FunctionType::Custom);
    }
}

struct JumpCase {
    std::int32_t holdMs;
    std::int32_t restMs;
    double end;
    std::vector<std::pair<double, std::vector<double>>> expected;  // time, its points
};

TEST(SequenceProfileShape, AStepJumpsAsTwoPointsAtTheStartOfEachPhase) {
    const JumpCase cases[] = {
        {500, 500, 3.0, {{0.0, {1000.0}}, {1.5, {1000.0, 0.0}}, {3.0, {0.0}}}},
        // No hold and no rest: the jumps fall on the ends of the phases
        // before them and on the start of the next repetition.
        {0, 0, 4.0, {{1.0, {1000.0, 0.0}}, {2.0, {0.0, 1000.0}}, {3.0, {1000.0, 0.0}}}},
    };
    for (const JumpCase& c : cases) {
        SetRecord set = cycleSet(1000, c.holdMs, 1000, c.restMs, 2, 1000.0);
        set.function[0] = FunctionType::Step;
        const std::vector<ProfilePoint> points = profileOf({set}).sample(0, 0.0, c.end, 7);
        for (const auto& [time, values] : c.expected) {
            std::vector<double> found;
            for (const ProfilePoint& point : points) {
                if (std::abs(point.seconds - time) < 1e-12) {
                    found.push_back(point.value);
                }
            }
            EXPECT_EQ(found, values) << "at " << time;
        }
        for (std::size_t i = 1; i < points.size(); ++i) {
            EXPECT_LE(points[i - 1].seconds, points[i].seconds);
            EXPECT_FALSE(points[i].envelope);
        }
    }
}

TEST(SequenceProfileShape, EachPreloadAddsItsTimeBeforeTheLoad) {
    SetRecord every = cycleSet(1000, 0, 1000, 0, 3, 1000.0);
    every.preloadType[0] = PreloadType::EveryRepetition;
    const SequenceProfile profile = profileOf({every});
    EXPECT_EQ(profile.valueAt(0, 0.001).phase, "Preload");
    EXPECT_NEAR(profile.valueAt(0, 0.502).value, 500.0, 1e-9);
    EXPECT_NEAR(profile.valueAt(0, 2.004 + 0.5).value, 500.0, 1e-9);

    SetRecord first = every;
    first.preloadType[0] = PreloadType::None;
    first.preloadType[1] = PreloadType::FirstRepetition;  // Y counts too
    EXPECT_NEAR(profileOf({first}).valueAt(0, 2.002 + 0.5).value, 500.0, 1e-9);
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
    SetRecord jumps = cycleSet(0, 1000, 0, 0, 3, 1.0, UnitsCode::Millimetres);
    SetRecord micrometres = cycleSet(1000, 0, 0, 0, 2, 500.0);
    SetRecord millimetres = cycleSet(1000, 0, 1000, 0, 1, 1.0, UnitsCode::Millimetres);
    SetRecord force = cycleSet(1000, 0, 1000, 0, 1, 100.0, UnitsCode::Millinewtons);
    SetRecord forceOnly = cycleSet(1000, 0, 0, 0, 2, 100.0, UnitsCode::Millinewtons);
    const OneWayCase cases[] = {
        {"a staircase up, then down past the start",
         {loadOnly, recoverOnly},
         1,
         {{0.5, 1.0}, {1.5, 3.0}, {3.0, 6.0}, {3.5, 5.5}, {13.0, -4.0}}},
        {"no load and no recovery jumps at each repetition's start",
         {jumps},
         1,
         {{0.0, 1.0}, {0.999, 1.0}, {1.5, 2.0}, {3.0, 3.0}}},
        {"a micrometre set moves a later millimetre set, drawn in micrometres",
         {micrometres, millimetres},
         1,
         {{2.0, 1000.0}, {3.0, 2000.0}, {4.0, 1000.0}}},
        {"a force set leaves the displacement position alone",
         {micrometres, force, millimetres},
         1,
         {{3.0, 100.0}, {4.0, 1000.0}, {5.0, 2000.0}}},
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

TEST(SequenceProfileRunningPosition, MixedUnitsKeepOneUnitPerQuantity) {
    // A force set as a protocol file gives it back: the file keeps the mode
    // but not the unit, which stays micrometres.
    SetRecord forceFromFile = cycleSet(1000, 0, 1000, 0, 1, 40.0, UnitsCode::Micrometres);
    forceFromFile.mode[0] = ControlMode::Force;
    const SequenceProfile profile =
        profileOf({cycleSet(1000, 0, 1000, 0, 1, 2.0, UnitsCode::Millimetres),
                   cycleSet(1000, 0, 1000, 0, 1, 0.5, UnitsCode::Newtons),
                   cycleSet(1000, 0, 1000, 0, 1, 500.0, UnitsCode::Micrometres),
                   cycleSet(1000, 0, 1000, 0, 1, 300.0, UnitsCode::Micronewtons),
                   cycleSet(1000, 0, 1000, 0, 1, 5.0, UnitsCode::Percent), forceFromFile});
    EXPECT_EQ(profile.unitOf(ProfileQuantity::Displacement), "mm");
    EXPECT_EQ(profile.unitOf(ProfileQuantity::Force), "N");
    EXPECT_EQ(profile.unitOf(ProfileQuantity::Strain), "%");
    struct Peak {
        double value;
        ProfileQuantity quantity;
        const char* setUnit;
    };
    const Peak peaks[] = {
        {2.0, ProfileQuantity::Displacement, "mm"}, {0.5, ProfileQuantity::Force, "N"},
        {0.5, ProfileQuantity::Displacement, "um"}, {0.0003, ProfileQuantity::Force, "uN"},
        {5.0, ProfileQuantity::Strain, "%"},        {0.04, ProfileQuantity::Force, "mN"},
    };
    for (int i = 0; i < 6; ++i) {
        const ProfileReading peak = profile.valueAt(0, 2.0 * i + 1.0);
        EXPECT_EQ(peak.setIndex, i);
        EXPECT_NEAR(peak.value, peaks[i].value, 1e-12);
        EXPECT_EQ(peak.quantity, peaks[i].quantity);
        EXPECT_EQ(profile.spans()[i].unit, peaks[i].setUnit);
    }
}

TEST(SequenceProfileWells, DisabledWellsAreAbsentAndPreloadsAreMarkedWhereTheyApply) {
    SetRecord first = cycleSet(1000, 0, 1000, 0, 3, 1000.0);
    first.preloadType[0] = PreloadType::FirstRepetition;
    first.preloadMag = {50.0, 0.0, 20.0, 20.0, 20.0, 20.0};
    SetRecord every = first;
    every.preloadType[0] = PreloadType::EveryRepetition;
    SetRecord none = first;
    none.preloadType[0] = PreloadType::None;
    DisabledWells disabled;
    disabled.flags = {0, 0, 1, 0, 0, 0};
    const SequenceProfile profile = profileOf({first, none, every}, 1, disabled);

    EXPECT_TRUE(profile.sample(2, 0.0, profile.totalSeconds(), 50).empty());
    EXPECT_EQ(profile.valueAt(2, 1.0).setIndex, -1);
    EXPECT_FALSE(profile.sample(3, 0.0, profile.totalSeconds(), 50).empty());

    std::vector<std::pair<long, int>> seen;  // milliseconds, well
    for (const ProfileMarker& marker : profile.markers(0.0, profile.totalSeconds())) {
        seen.emplace_back(std::lround(marker.seconds * 1000.0), marker.well);
        EXPECT_EQ(marker.label, marker.well == 0 ? "Preload 50.0 mN" : "Preload 20.0 mN");
    }
    // First set at 0 only; none in the second (6.002 to 12.002); the third at
    // each repetition's start, 2.002 s apart. Well 2 has no preload force,
    // well 3 is disabled.
    std::vector<std::pair<long, int>> expected;
    for (const long ms : {0, 12002, 14004, 16006}) {
        for (const int well : {0, 3, 4, 5}) {
            expected.emplace_back(ms, well);
        }
    }
    EXPECT_EQ(seen, expected);

    SetRecord often = every;
    often.numReps = 1000000;
    const SequenceProfile many = profileOf({often});
    const std::vector<ProfileMarker> thinned = many.markers(0.0, many.totalSeconds(), 100);
    EXPECT_EQ(thinned.size(), 100u * 5u);  // every well but well 2, which has no force
    // Zoomed in, every one again: three repetitions of 2.002 s.
    EXPECT_EQ(many.markers(1000.0, 1000.0 + 3 * 2.002, 100).size(), 3u * 5u);
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
        {"stretcher's travel", {beyondTravel, stretchMax, beyondStretch}, 2, 1, "001", "001"},
        {"negative magnitude when compressing", {negative}, 0, 1, "1", "1"},
        {"negative magnitude when stretching", {negative}, 2, 1, "0", "0"},
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

    // A million passes of 1 um each: the travel is crossed in the 2000th.
    SetRecord creep = inch;
    creep.magnitude = {1.0, 0.5, 0.5, 0.5, 0.5, 0.5};
    const SequenceProfile slow = profileOf({creep}, 1000000);
    ASSERT_TRUE(slow.firstCrossing(0).has_value());
    EXPECT_EQ(slow.firstCrossing(0)->sequenceRepeat, 2000);
    EXPECT_EQ(slow.firstCrossing(0)->limitReason, "Well 1 goes beyond the actuator's travel");
    EXPECT_FALSE(profileOf({creep}, 2000).setCrossesLimit(0));

    const SequenceProfile later = profileOf({inch}, 5);
    const auto lastPass = later.spansBetween(later.totalSeconds() - 0.5, later.totalSeconds());
    ASSERT_EQ(lastPass.size(), 1u);
    EXPECT_EQ(lastPass[0].sequenceRepeat, 4);
    EXPECT_EQ(later.firstCrossing(0)->sequenceRepeat, 4);
    EXPECT_EQ(lastPass[0].limitReason,
              "Well 1 goes beyond the actuator's travel; Well 2 goes beyond the actuator's travel; "
              "Well 3 goes beyond the actuator's travel; Well 4 goes beyond the actuator's "
              "travel; Well 5 goes beyond the actuator's travel; Well 6 goes beyond the "
              "actuator's travel");
}

TEST(SequenceProfileLimits, ForceSetsAreLimitedByEachWellsLoadCellWhenADeviceIsKnown) {
    SetRecord force = cycleSet(1000, 0, 1000, 0, 2, 150.0, UnitsCode::Millinewtons);
    force.magnitude = {150.0, 150.0, 90.0, 150.0, 150.0, 150.0};
    DisabledWells disabled;
    disabled.flags = {0, 0, 0, 1, 1, 1};
    EXPECT_FALSE(profileOf({force}, 1, disabled).spans()[0].crossesLimit);
    EXPECT_TRUE(profileOf({force}, 1, disabled).limits().empty());

    const std::array<float, kWellCount> loads{0.1f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f};
    const SequenceProfile profile = profileOf({force}, 1, disabled, 0, loads);
    EXPECT_EQ(profile.spans()[0].limitReason, "Well 1 goes beyond its load cell's full scale");
    ASSERT_EQ(profile.limits().size(), 3u);  // the enabled wells
    EXPECT_EQ(profile.limits()[1].well, 1);
    EXPECT_NEAR(*profile.limits()[1].high, 200.0, 1e-4);
    EXPECT_NEAR(*profile.limits()[1].low, -200.0, 1e-4);
}

TEST(SequenceProfileLimits, TheDisplacementBandIsInTheProfilesUnit) {
    const SequenceProfile mm =
        profileOf({cycleSet(1000, 0, 1000, 0, 1, 1.0, UnitsCode::Millimetres)}, 1, {}, 2);
    ASSERT_EQ(mm.limits().size(), 1u);
    EXPECT_EQ(*mm.limits()[0].low, 0.0);
    EXPECT_EQ(*mm.limits()[0].high, 23.0);
    EXPECT_EQ(mm.limits()[0].label, "Start position to actuator travel (23 mm)");
    EXPECT_TRUE(
        profileOf({cycleSet(1000, 0, 1000, 0, 1, 5.0, UnitsCode::Percent)}).limits().empty());
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
        for (const SetRecord& set : c.sets) {
            view.workingSequence.append(set);
        }
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
            EXPECT_EQ(profile.spanAt(end * 0.999), static_cast<int>(c.sets.size()) - 1);
        } else {
            EXPECT_TRUE(points.empty());
            EXPECT_EQ(profile.spanAt(0.0), -1);
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
