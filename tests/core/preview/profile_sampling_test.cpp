// Sampling the profile for drawing: envelopes where cycles are narrower than
// a point, single cycles when zoomed in, bounded output however many
// repetitions, and the CSV built from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/preview/sequence_profile.h"
#include "preview_test_sets.h"

namespace kyrvana {
namespace {

using preview_test::cycleSet;
using preview_test::profileOf;

// The lowest and highest target between two times, by walking them finely.
ValueRange walked(const SequenceProfile& profile, int well, double from, double to) {
    const double first = profile.valueAt(well, from).value;
    ValueRange range{first, first};
    constexpr int kSteps = 5000;
    for (int i = 1; i <= kSteps; ++i) {
        range.include(profile.valueAt(well, from + (to - from) * i / kSteps).value);
    }
    return range;
}

struct EnvelopeCase {
    const char* name;
    SetRecord set;
    std::int32_t repeats;
};

TEST(ProfileSampling, EnvelopesHoldTheExtremesOfTheCyclesTheyCover) {
    SetRecord sine = cycleSet(400, 100, 300, 200, 37, 800.0);
    sine.function[0] = FunctionType::Sinusoid;
    SetRecord steps = cycleSet(400, 0, 300, 0, 41, -300.0);
    steps.function[0] = FunctionType::Step;
    const EnvelopeCase cases[] = {
        {"sinusoid cycles", sine, 1},
        {"negative steps", steps, 1},
        {"a staircase down over three passes", cycleSet(0, 20, 300, 10, 29, 10.0), 3},
    };
    for (const EnvelopeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SequenceProfile profile = profileOf({c.set}, c.repeats);
        // Few points for many cycles, and a window that does not start at 0.
        const double t0 = profile.totalSeconds() * 0.013;
        const double t1 = profile.totalSeconds() * 0.97;
        const std::vector<ProfilePoint> points = profile.sample(0, t0, t1, 9);
        const double step = (t1 - t0) / 8;
        int envelopes = 0;
        for (const ProfilePoint& point : points) {
            const double onGrid = (point.seconds - t0) / step;
            if (!point.envelope || std::abs(onGrid - std::round(onGrid)) > 1e-9) {
                continue;  // a set's own end, whose envelope covers that set only
            }
            ++envelopes;
            // The time the point stands for, within its pass.
            double from = std::max(point.seconds - step / 2, t0);
            double to = std::min(point.seconds + step / 2, t1);
            for (const ProfileSetSpan& span : profile.spansBetween(from, to)) {
                if (span.startSeconds <= point.seconds && point.seconds <= span.endSeconds) {
                    from = std::max(from, span.startSeconds);
                    to = std::min(to, span.endSeconds);
                    break;
                }
            }
            const ValueRange truth = walked(profile, 0, from, to);
            const double slack = 0.01 * std::abs(c.set.magnitude[0]);
            EXPECT_NEAR(point.min, truth.min, slack) << "at " << point.seconds;
            EXPECT_NEAR(point.max, truth.max, slack) << "at " << point.seconds;
            EXPECT_LE(point.min, point.value);
            EXPECT_GE(point.max, point.value);
        }
        EXPECT_GE(envelopes, 9);
    }
}

// A one-way set's drift within an envelope is the staircase case above.
TEST(ProfileSampling, AFourWeekSetGivesItsEnvelopeAndZoomedInItsSingleCycles) {
    // 24 000 000 repetitions of 100 ms.
    const SequenceProfile profile = profileOf({cycleSet(50, 0, 50, 0, 24000000, 1000.0)});
    const std::vector<ProfilePoint> points = profile.sample(0, 0.0, profile.totalSeconds(), 2000);
    EXPECT_LE(points.size(), 2002u);
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        ASSERT_TRUE(points[i].envelope);
        EXPECT_EQ(points[i].min, 0.0);
        EXPECT_EQ(points[i].max, 1000.0);
    }
    // Three cycles across 200 points: no envelope, every corner drawn.
    const double middle = profile.totalSeconds() / 2;
    int peaks = 0;
    for (const ProfilePoint& point : profile.sample(0, middle, middle + 0.3, 200)) {
        EXPECT_FALSE(point.envelope);
        peaks += std::abs(point.value - 1000.0) < 1e-3 ? 1 : 0;
    }
    EXPECT_EQ(peaks, 3);
    EXPECT_EQ(profile.valueAt(0, middle + 0.025).repetition, 12000001);
}

TEST(ProfileSampling, ManyPassesGiveOnePointPerQuantityAtEachTime) {
    // A million passes of a displacement cycle and a force set.
    const SetRecord cycle = cycleSet(1000, 0, 1000, 0, 1, 1000.0);
    const SetRecord force = cycleSet(500, 0, 500, 0, 2, 30.0, UnitsCode::Millinewtons);
    const SequenceProfile profile = profileOf({cycle, force}, 1000000);
    const std::vector<ProfilePoint> points = profile.sample(0, 0.0, profile.totalSeconds(), 500);
    ASSERT_EQ(points.size(), 1000u);
    for (std::size_t i = 0; i < points.size(); i += 2) {
        ASSERT_EQ(points[i].quantity, ProfileQuantity::Displacement);
        ASSERT_EQ(points[i + 1].quantity, ProfileQuantity::Force);
        EXPECT_EQ(points[i].seconds, points[i + 1].seconds);
        EXPECT_TRUE(points[i].envelope);
        EXPECT_EQ(points[i + 1].min, 0.0);
        EXPECT_EQ(points[i + 1].max, 30.0);
    }
}

TEST(ProfileSampling, PointsStandingForManySetsHoldTheirExtremes) {
    // Sets of varied magnitudes, some one way, more of them than points; in
    // one pass and in passes that the points straddle.
    std::vector<SetRecord> sets;
    for (int i = 0; i < 300; ++i) {
        SetRecord set = cycleSet(250 + i % 7 * 50, i % 3 * 100, i % 5 == 0 ? 0 : 300, 50, 1 + i % 4,
                                 10.0 + (i * 37) % 200);
        set.function[0] = static_cast<FunctionType>(i % 5);
        sets.push_back(set);
    }
    for (const std::int32_t repeats : {1, 3}) {
        SCOPED_TRACE(repeats);
        const SequenceProfile profile = profileOf(sets, repeats);
        const double total = profile.totalSeconds();
        const std::vector<ProfilePoint> points = profile.sample(0, 0.0, total, 37);
        ASSERT_EQ(points.size(), 37u);
        const double step = total / 36;
        for (const ProfilePoint& point : points) {
            ASSERT_TRUE(point.envelope);
            const ValueRange truth = walked(profile, 0, std::max(point.seconds - step / 2, 0.0),
                                            std::min(point.seconds + step / 2, total));
            // Walking can miss the tip of a peak, never add one.
            EXPECT_LE(point.min, truth.min + 1e-9) << "at " << point.seconds;
            EXPECT_GE(point.max, truth.max - 1e-9) << "at " << point.seconds;
            EXPECT_NEAR(point.min, truth.min, 3.0) << "at " << point.seconds;
            EXPECT_NEAR(point.max, truth.max, 3.0) << "at " << point.seconds;
        }
    }
}

TEST(ProfileCsv, OneColumnPerEnabledWellAndEnvelopeColumnsWhenNeeded) {
    DisabledWells disabled;
    disabled.flags = {0, 1, 0, 1, 1, 1};
    SetRecord set = cycleSet(1000, 0, 1000, 0, 2, 250.0);
    set.magnitude[2] = 500.0;
    const SequenceProfile profile = profileOf({set}, 1, disabled);
    // Six points 0.8 s apart and the corners at 1, 2 and 3 s.
    EXPECT_EQ(profileCsv(profile, std::nullopt, 0.0, 4.0, 6),
              "seconds,set,unit,well1,well3\n0,1,um,0,0\n0.8,1,um,200,400\n1,1,um,250,500\n"
              "1.6,1,um,100,200\n2,1,um,0,0\n2.4,1,um,100,200\n3,1,um,250,500\n"
              "3.2,1,um,200,400\n4,1,um,0,0\n");
    // Two points for four cycles: envelopes, in their own columns.
    EXPECT_EQ(profileCsv(profile, 2, 0.0, 4.0, 2),
              "seconds,set,unit,well3,well3_min,well3_max\n0,1,um,0,0,500\n4,1,um,0,0,500\n");
    EXPECT_EQ(profileCsv(profile, 1, 0.0, 4.0, 5), "seconds,set,unit\n");
}

}  // namespace
}  // namespace kyrvana
