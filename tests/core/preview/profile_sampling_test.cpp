// Sampling the profile for drawing: envelopes where cycles are narrower than
// a point, single cycles when zoomed in, bounded output however many
// repetitions or passes, and the CSV built from it.

#include <gtest/gtest.h>

#include <cmath>

#include "core/preview/sequence_profile.h"
#include "preview_test_sets.h"

namespace kyrvana {
namespace {

using preview_test::cycleSet;
using preview_test::profileOf;

// Envelopes hold the extremes of the cycles they cover, below the start as
// above it, and follow a one-way set's drift from one point to the next.
TEST(ProfileSampling, EnvelopesHoldNegativeCyclesAndJoinUpAlongADrift) {
    SetRecord steps = cycleSet(400, 0, 300, 0, 41, -300.0);
    steps.function[0] = FunctionType::Step;
    const SequenceProfile down = profileOf({steps}, 3);
    for (const ProfilePoint& point : down.sample(0, 0.0, down.totalSeconds(), 9)) {
        EXPECT_TRUE(point.envelope);
        EXPECT_EQ(point.min, -300.0);
        EXPECT_EQ(point.max, 0.0);
    }
    // A staircase of 43 steps of 10 um, over three passes.
    const SequenceProfile up = profileOf({cycleSet(300, 50, 0, 70, 43, 10.0)}, 3);
    const std::vector<ProfilePoint> climb = up.sample(0, 0.0, up.totalSeconds(), 9);
    for (std::size_t i = 1; i < climb.size(); ++i) {
        EXPECT_LE(climb[i].min, climb[i - 1].max) << "at " << climb[i].seconds;
        EXPECT_GE(climb[i].max, climb[i - 1].max) << "at " << climb[i].seconds;
    }
    EXPECT_EQ(climb.back().max, 3 * 430.0);
}

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
