#pragma once

#include <cstdint>

namespace ciphora {

// Where the counters of the key schedule move, by 1-based position. C1 moves
// at every position. C2 has advanced floor((position + 1) / 256) times, so it
// holds still over runs of 256 positions. C3 has advanced floor((advances of
// C2 + 1) / 256) times, and C4 and C5 only ever move with C3, so C3..C5 hold
// still over runs of 65536 positions: the tables of the last three stages
// are fixed within such a run. See KeySchedule for the odometer itself.
namespace key_runs {

inline constexpr std::uint64_t kC2Run = 256;
inline constexpr std::uint64_t kTailRun = kC2Run * kC2Run;

constexpr std::uint64_t C2Advances(std::uint64_t position) { return (position + 1) >> 8; }

// Identifies the run of positions whose C3..C5 agree.
constexpr std::uint64_t C3Advances(std::uint64_t position) { return (C2Advances(position) + 1) >> 8; }

// The positions from `position` on, itself included, before C2 next moves.
constexpr std::uint64_t LeftWithC2(std::uint64_t position) { return kC2Run - (position + 1) % kC2Run; }

// The first position at which C3 has advanced `advances` (at least 1) times:
// C2 must have advanced 256 * advances - 1 times, which it first has at the
// position p with p + 1 = 256 * (256 * advances - 1).
constexpr std::uint64_t FirstWithC3Advances(std::uint64_t advances) { return kC2Run * (kC2Run * advances - 1) - 1; }

// The positions from `position` on, itself included, before C3 next moves.
constexpr std::uint64_t LeftWithTail(std::uint64_t position) {
    return FirstWithC3Advances(C3Advances(position) + 1) - position;
}

}  // namespace key_runs

}  // namespace ciphora
