#pragma once

#include <cstddef>
#include <cstdint>

#include "CipherKey.h"
#include "VectorKernel.h"

namespace ciphora::avx512 {

// Whether this processor has the AVX-512 byte permutes (F, BW and VBMI) that
// the vector paths need.
bool Available();

// Code groups are three full lines: 60 codes, 186 bytes of cipher text.
inline constexpr std::size_t kGroupCodes = 60;
inline constexpr std::size_t kGroupBytes = 186;
// Deciphering reads whole vectors: a group needs this many readable bytes.
inline constexpr std::size_t kGroupReadBytes = 188;

// Steps of three lines: 60 codes, from the run's stage0, stage1 and digit
// tables when enciphering, inverseTail, inverse1 and inverse0 when
// deciphering, which reads whole vectors: kGroupReadBytes for a group.
extern const VectorKernel kKernel;

}  // namespace ciphora::avx512
