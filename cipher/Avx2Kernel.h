#pragma once

#include <cstddef>
#include <cstdint>

#include "CipherKey.h"
#include "VectorKernel.h"

namespace ciphora::avx2 {

// Whether this processor has AVX2.
bool Available();

// AVX2 has no byte permute across a 256-entry table: a lookup takes 16
// shuffles of 16 entries each, so there are two per character, the stages
// after stage 0 being folded into one table per run of positions whose
// C3..C5 agree. The vectors also parse, check and format the lines.

// Steps of one line: 20 codes, from the run's stage0 and fromStage1 tables
// when enciphering, toStage1 and inverse0 when deciphering.
extern const VectorKernel kKernel;

// The 20 codes of a canonical line (62 bytes); false when it is not one.
bool ParseLine(const Byte* text, Byte* codes);

}  // namespace ciphora::avx2
