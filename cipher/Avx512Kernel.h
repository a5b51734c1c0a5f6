#pragma once

#include <cstddef>
#include <cstdint>

#include "CipherKey.h"

namespace ciphora::avx512 {

// Whether this processor has the AVX-512 byte permutes (F, BW and VBMI) that
// the vector paths need.
bool Available();

// The 256-entry byte tables of one run of 65536 positions whose counters
// C3..C5 agree, with the key values that give C1 and C2.
struct EncipherRun {
    const Byte* stage0;    // enciphering stage 0
    const Byte* stage1;    // enciphering stage 1
    const Byte* hundreds;  // the last three stages, as the ASCII digits of the code
    const Byte* tens;
    const Byte* ones;
    Byte key1;
    Byte key2;
};

struct DecipherRun {
    const Byte* inverse0;     // deciphering stage 0
    const Byte* inverse1;     // deciphering stage 1
    const Byte* inverseTail;  // deciphering stages 4, 3 and 2
    Byte key1;
    Byte key2;
};

// Code groups are three full lines: 60 codes, 186 bytes of cipher text.
inline constexpr std::size_t kGroupCodes = 60;
inline constexpr std::size_t kGroupBytes = 186;
// Deciphering reads whole vectors: a group needs this many readable bytes.
inline constexpr std::size_t kGroupReadBytes = 188;

// Enciphers `groups` groups of 60 characters; the first character has the
// 0-based index `first`, a multiple of 20, and all lie in one run.
void EncipherGroups(const EncipherRun& run, const Byte* plain, std::size_t groups, std::uint64_t first, Byte* out);

// Deciphers up to `groups` groups of three canonical lines (60 digits and
// CR LF each, every code at most 255), the first code having the index
// `first`, all in one run; stops at the first group that is not canonical.
// Needs kGroupReadBytes readable bytes for the last group. Returns the number
// of groups deciphered.
std::size_t DecipherGroups(const DecipherRun& run, const Byte* text, std::size_t groups, std::uint64_t first,
                           Byte* plain);

}  // namespace ciphora::avx512
