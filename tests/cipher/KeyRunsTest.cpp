#include <gtest/gtest.h>

#include "cipher/CipherKey.h"
#include "cipher/KeyRuns.h"

namespace ciphora {
namespace {

using namespace key_runs;

// The counters of the schedule, read the long way.
StageOffsets At(std::uint64_t position) { return KeySchedule(CipherKey{{7, 250, 0, 255, 128}}).At(position); }

bool SameTail(const StageOffsets& a, const StageOffsets& b) {
    return a.values[2] == b.values[2] && a.values[3] == b.values[3] && a.values[4] == b.values[4];
}

// Positions around every kind of carry, and far ones.
const std::uint64_t kPositions[] = {1,
                                    2,
                                    253,
                                    254,
                                    255,
                                    256,
                                    65278,
                                    65279,
                                    65280,
                                    65281,
                                    16711678,
                                    16711679,
                                    16711680,
                                    4294901759,
                                    4294901760,
                                    (1ull << 40) + 12345,
                                    (1ull << 56) - 3};

TEST(KeyRuns, C2HoldsStillForItsRunAndMovesRightAfter) {
    for (std::uint64_t position : kPositions) {
        const std::uint64_t left = LeftWithC2(position);
        ASSERT_GE(left, 1u);
        ASSERT_LE(left, kC2Run);
        const StageOffsets first = At(position);
        EXPECT_EQ(At(position + left - 1).values[1], first.values[1]) << position;
        EXPECT_NE(At(position + left).values[1], first.values[1]) << position;
        EXPECT_EQ(C2Advances(position + left), C2Advances(position) + 1) << position;
    }
}

TEST(KeyRuns, C3ToC5HoldStillForTheirRunAndMoveRightAfter) {
    for (std::uint64_t position : kPositions) {
        const std::uint64_t left = LeftWithTail(position);
        ASSERT_GE(left, 1u);
        ASSERT_LE(left, kTailRun);
        const StageOffsets first = At(position);
        // Every position of the run, sampled, and its last one.
        for (std::uint64_t step = 0; step < left; step += 251) EXPECT_TRUE(SameTail(At(position + step), first));
        EXPECT_TRUE(SameTail(At(position + left - 1), first)) << position;
        EXPECT_FALSE(SameTail(At(position + left), first)) << position;
        EXPECT_EQ(C3Advances(position + left), C3Advances(position) + 1) << position;
    }
}

TEST(KeyRuns, FirstPositionOfEachC3Advance) {
    for (std::uint64_t advances : {1ull, 2ull, 255ull, 256ull, 65536ull}) {
        const std::uint64_t first = FirstWithC3Advances(advances);
        EXPECT_EQ(C3Advances(first), advances);
        EXPECT_EQ(C3Advances(first - 1), advances - 1);
    }
}

}  // namespace
}  // namespace ciphora
