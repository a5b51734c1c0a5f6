#pragma once

#include <array>
#include <cstdint>

#include "CipherKey.h"

namespace ciphora {

inline constexpr int kStages = 5;

// A Byte table with a value index 0..256 and a stage index 0..5, written
// (value, stage). Only values 0..255 of stages 0..4 are used; the rest stays 0.
class ByteTable {
public:
    Byte& operator()(int value, int stage) { return cells_[stage][value]; }
    Byte operator()(int value, int stage) const { return cells_[stage][value]; }
    bool operator==(const ByteTable&) const = default;

private:
    std::array<std::array<Byte, 257>, 6> cells_{};
};

// The cipher's substitution: five permutations of 0..255 for enciphering
// (lngKE) and their inverses for deciphering (lngKD).
struct SubstitutionTables {
    ByteTable lngKE;
    ByteTable lngKD;
};

// The tables built into the program. Cipher texts can be exchanged only
// between builds with the same tables.
const SubstitutionTables& DefaultSubstitutionTables();

}  // namespace ciphora
