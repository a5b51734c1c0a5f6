#pragma once

#include <cstddef>
#include <cstdint>

#include "CipherKey.h"

namespace ciphora {

// The 256-entry byte tables of one run of 65536 positions whose counters
// C3..C5 agree, folded in each of the ways the vector paths use them, with the
// key values that give C1 and C2.
struct EncipherRun {
    const Byte* stage0;      // enciphering stage 0
    const Byte* stage1;      // enciphering stage 1
    const Byte* fromStage1;  // the code of a value entering stage 1 (C2 added)
    const Byte* hundreds;    // the last three stages, as the ASCII digits of the code
    const Byte* tens;
    const Byte* ones;
    Byte key1;
    Byte key2;
};

struct DecipherRun {
    const Byte* inverse0;     // deciphering stage 0
    const Byte* inverse1;     // deciphering stage 1
    const Byte* inverseTail;  // deciphering stages 4, 3 and 2
    const Byte* toStage1;     // a code back through stages 4..1 (C2 still to subtract)
    Byte key1;
    Byte key2;
};

// Every vector path's step divides this many codes, so that a block of a
// multiple of it holds whole steps of any path.
inline constexpr std::size_t kStepCodesMultiple = 60;

// One vector path of the cipher kernel: the codes it takes at once from a
// line start (a step), and its two directions. Both are given steps that lie
// in one run of C3..C5; `first` is the 0-based index of the first code. The
// plain text of enciphering starts a line (`first` is a multiple of 20); the
// cipher text of deciphering starts with a line of its own, whatever `first`.
struct VectorKernel {
    std::size_t stepCodes;  // a multiple of 20

    // Enciphers `steps` whole steps of plain text into their canonical lines.
    void (*encipherSteps)(const EncipherRun& run, const Byte* plain, std::size_t steps, std::uint64_t first, Byte* out);

    // Deciphers up to `steps` steps of canonical lines (CipherText.h) among
    // the `size` bytes of `text`; stops at
    // the first step that is not all canonical or would read past `size`, and
    // returns the steps deciphered.
    std::size_t (*decipherSteps)(const DecipherRun& run, const Byte* text, std::size_t size, std::size_t steps,
                                 std::uint64_t first, Byte* plain);
};

}  // namespace ciphora
