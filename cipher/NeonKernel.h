#pragma once

#include "CipherKey.h"
#include "VectorKernel.h"

namespace ciphora::neon {

// Steps of one line: 20 codes. NEON's TBL and TBX look up in up to four
// 16-byte registers (64 entries) at once, so a 256-entry lookup is four of
// them; the stages after stage 0 are folded into one table per run of
// positions whose C3..C5 agree, which leaves two lookups per character:
// stage0 and fromStage1 when enciphering, toStage1 and inverse0 when
// deciphering. Every AArch64 processor has NEON.
extern const VectorKernel kKernel;

// The 20 codes of a canonical line (62 bytes); false when it is not one.
bool ParseLine(const Byte* text, Byte* codes);

}  // namespace ciphora::neon
