#include <gtest/gtest.h>

#include "core/protocol/protocol.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

TEST(ProtocolTest, IndexesOutsideTheListAreRefused) {
    Protocol protocol;
    SetRecord a;
    a.numReps = 3;
    protocol.append(SetRecord{});
    EXPECT_TRUE(protocol.insert(1, a));  // at the end
    EXPECT_FALSE(protocol.insert(3, a));
    EXPECT_FALSE(protocol.insert(-1, a));
    EXPECT_EQ(protocol.numRepsAt(1), 3);
    EXPECT_EQ(protocol.numRepsAt(-1), 0);
    EXPECT_EQ(protocol.numRepsAt(2), 0);
    EXPECT_FALSE(protocol.remove(2));
    EXPECT_TRUE(protocol.remove(0));
    EXPECT_EQ(protocol.numRepsAt(0), 3);
}

// One set of 1000 + 0 + 1000 + 0 ms; a preload adds 2 ms to each repetition
// it precedes, counted once whichever of X and Y asks for it.
TEST(TotalDurationTest, AddsCyclesAndPreloadAllowance) {
    struct Case {
        PreloadType x;
        PreloadType y;
        std::int32_t reps;
        double seconds;
    };
    for (const Case& c :
         {Case{PreloadType::None, PreloadType::None, 3, 6.0},
          Case{PreloadType::FirstRepetition, PreloadType::None, 3, 6.002},
          Case{PreloadType::None, PreloadType::EveryRepetition, 3, 6.006},
          Case{PreloadType::FirstRepetition, PreloadType::EveryRepetition, 3, 6.006},
          Case{PreloadType::FirstRepetition, PreloadType::None, 0, 0.0}}) {
        SetRecord set;
        set.numReps = c.reps;
        set.preloadType[0] = c.x;
        set.preloadType[1] = c.y;
        set.preloadType[2] = PreloadType::EveryRepetition;  // Z never counts
        Protocol protocol;
        protocol.append(set);
        EXPECT_DOUBLE_EQ(totalDurationSeconds(protocol), c.seconds) << c.seconds;
    }
}

// Sums over sets are compared with the preview's own in its tests.
TEST(TotalDurationTest, SurvivesHugeValues) {
    // A file may ask for two billion preloaded repetitions; this must not loop.
    Protocol protocol;
    protocol.append(SetRecord{});
    protocol.append(SetRecord{});
    SetRecord huge;
    huge.numReps = 2147483647;
    huge.stretchDurationMs = 2147483647;
    huge.preloadType[0] = PreloadType::EveryRepetition;
    protocol.append(huge);
    EXPECT_DOUBLE_EQ(preloadExtra(protocol, 2), 2.0 * 2147483647.0);
    EXPECT_GT(totalDurationSeconds(protocol), 4.6e15);
    EXPECT_EQ(preloadExtra(protocol, -1), 0.0);
    EXPECT_EQ(preloadExtra(protocol, 3), 0.0);
}

TEST(DisplacementRangeTest, FollowsOneWayMillimetreSets) {
    Protocol protocol;
    SetRecord out;
    out.units[0] = UnitsCode::Millimetres;
    out.magnitude[0] = 2.0;
    out.numReps = 3;
    out.recoveryDurationMs = 0;
    SetRecord back;
    back.units[0] = UnitsCode::Millimetres;
    back.magnitude[0] = 1.0;
    back.numReps = 10;
    back.stretchDurationMs = 0;
    SetRecord cyclic;  // load and recover: ends where it started
    cyclic.units[0] = UnitsCode::Millimetres;
    cyclic.magnitude[0] = 50.0;
    SetRecord micrometres = out;  // other units do not move
    micrometres.units[0] = UnitsCode::Micrometres;
    micrometres.magnitude[0] = 100.0;

    for (const SetRecord& set : {out, cyclic, micrometres, back}) {
        protocol.append(set);
    }
    EXPECT_DOUBLE_EQ(displacementRange(protocol).min, -4.0);
}

}  // namespace
}  // namespace kyrvana
