#pragma once

#include <cstdint>
#include <functional>

#include "CipherKernel.h"
#include "CipherTextDecoder.h"
#include "support/ByteStreams.h"
#include "support/ReadOnlyFile.h"

namespace ciphora {

// Texts of any size pass through the kernel in fixed-size blocks, so memory
// stays the same whatever their size, and the result is what the string
// operation would give on the whole text. Inputs whose size is unknown (pipes)
// or large are split across all cores. Failures of the input raise
// ReadFailure, failures of the output WriteFailure.

// True when the file holds nothing but blanks.
bool IsBlankFile(const ReadOnlyFile& input);

// Told the number of input bytes passed on so far, after every block.
using StreamProgress = std::function<void(std::uint64_t inputDone)>;

// Enciphers all that `input` holds into `output`; returns its length.
std::uint64_t EncipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                             const StreamProgress& progress = {});

// What deciphering a text came to.
struct DecipherSummary {
    std::uint64_t cipherLength = 0;  // the bytes read
    std::uint64_t plainLength = 0;   // the bytes written
    // The digits of a last code that the text cut short, 0 when there was none
    // (CipherTextDecoder::UnfinishedDigits).
    int unfinishedDigits = 0;
};

// Deciphers all that `input` holds into `output`, reporting every code above
// 255 in order.
DecipherSummary DecipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                               const CipherTextDecoder::ReductionObserver& onReduction,
                               const StreamProgress& progress = {});

}  // namespace ciphora
