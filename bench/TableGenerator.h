#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cipher/SubstitutionTables.h"

namespace ciphora {

// The table generator's work: five permutations of 0..255, each cell
// numbered in the order the user's presses fill it. A press at timer reading
// t aims at cell r = the fraction of the current second scaled to 0..255 and
// takes the first free cell among r .. r + 5 (no wrap-around); once 253 cells
// of a stage are filled, the next press fills the last three in ascending
// order.
class TableGenerator {
public:
    enum class Press { Placed, Wasted, StageComplete };

    // Empties the cells of all five stages.
    void Clear();
    // Starts a stage: its count of filled cells goes back to 0.
    void BeginStage(int stage);
    Press PressAt(float timerReading);
    std::int32_t Count() const { return count_; }

    // Turns the fill order (1 ..) into the permutation (0 ..).
    void Finish();

    // The assignment lines of the finished tables, "lngKE(i,j) = v" for every
    // stage and value, then "lngKD(v,j) = i" in the same order, each ended by
    // CR LF.
    std::vector<std::string> Lines() const;
    SubstitutionTables Tables() const;

    std::int32_t lngKGen(int value, int stage) const { return cells_[stage][value]; }

private:
    static constexpr int kCandidates = 6;
    static constexpr std::int32_t kLastPlaced = 253;

    std::array<std::array<std::int32_t, 257>, 6> cells_{};
    int stage_ = 0;
    std::int32_t count_ = 0;
};

}  // namespace ciphora
