#pragma once

#include <cstddef>
#include <cstdint>

#include "CipherKey.h"

namespace ciphora::avx2 {

// Whether this processor has AVX2.
bool Available();

// AVX2 has no byte permute across a 256-entry table: a lookup takes 16
// shuffles of 16 entries each, so there are two per character, the stages
// after stage 0 being folded into one table per run of positions whose
// C3..C5 agree. The vectors also parse, check and format the lines.

// The tables of one run of 65536 positions whose counters C3..C5 agree.
struct EncipherRun {
    const Byte* stage0;      // enciphering stage 0
    const Byte* fromStage1;  // the code of a value entering stage 1 (C2 added)
    Byte key1;
    Byte key2;
};

struct DecipherRun {
    const Byte* toStage1;  // a code back through stages 4..1 (C2 still to subtract)
    const Byte* inverse0;  // deciphering stage 0
    Byte key1;
    Byte key2;
};

// Enciphers `lines` whole lines of 20 characters; the first character has
// the 0-based index `first`, a multiple of 20, and all lie in one run.
void EncipherLines(const EncipherRun& run, const Byte* plain, std::size_t lines, std::uint64_t first, Byte* out);

// Deciphers up to `lines` canonical lines (60 digits and CR LF each, every
// code at most 255), the first code having the index `first`, all in one run;
// stops at the first line that is not canonical and reads nothing past it.
// Returns the number of lines deciphered.
std::size_t DecipherLines(const DecipherRun& run, const Byte* text, std::size_t lines, std::uint64_t first,
                          Byte* plain);

// The 20 codes of a canonical line (62 bytes); false when it is not one.
bool ParseLine(const Byte* text, Byte* codes);

}  // namespace ciphora::avx2
