#pragma once

#include <cstdint>

#include "CipherKernel.h"
#include "CipherTextDecoder.h"
#include "support/AtomicFileWriter.h"
#include "support/ReadOnlyFile.h"

namespace ciphora {

// Whole files pass through the kernel in fixed-size blocks, so memory stays
// the same whatever their size, and the result is what the string operation
// would give on the whole text. A file that changes size while it is read
// raises ReadFailure.

// True when the file holds nothing but blanks.
bool IsBlankFile(const ReadOnlyFile& input);

void EncipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output);

void DecipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output,
                    const CipherTextDecoder::ReductionObserver& onReduction);

}  // namespace ciphora
