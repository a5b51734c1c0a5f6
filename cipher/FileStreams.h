#pragma once

#include <cstdint>
#include <functional>

#include "CipherKernel.h"
#include "CipherTextDecoder.h"
#include "support/ByteStreams.h"
#include "support/ReadOnlyFile.h"

namespace ciphora {

// Texts of any size pass through the kernel in fixed-size blocks
// (OrderedBlocks), so memory stays the same whatever their size, and the
// result is what the string operation would give on the whole text. Inputs
// whose size is unknown (pipes) or large are split across all cores. Each
// conversion comes in two forms: streams, read and written in order by the
// calling thread; and positioned ends (files of a known size, outputs that
// can be written anywhere), which every worker reads and writes where its
// block lies. Failures of the input raise ReadFailure, failures of the output
// WriteFailure.

// True when the file holds nothing but blanks.
bool IsBlankFile(const ReadOnlyFile& input);

// Told the number of input bytes passed on so far, after every block.
using StreamProgress = std::function<void(std::uint64_t inputDone)>;

// Enciphers all that `input` holds into `output`; returns its length.
std::uint64_t EncipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                             const StreamProgress& progress = {});
std::uint64_t EncipherStream(const CipherKernel& kernel, const PositionedSource& input, PositionedSink& output,
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
DecipherSummary DecipherStream(const CipherKernel& kernel, const PositionedSource& input, PositionedSink& output,
                               const CipherTextDecoder::ReductionObserver& onReduction,
                               const StreamProgress& progress = {});

// Both ends of a conversion as streams, each with its positioned face where
// it has one (a file of known size; an output replaced whole).
struct ConversionEnds {
    ByteSource& source;
    const PositionedSource* positionedSource;
    ByteSink& sink;
    PositionedSink* positionedSink;
};

// Calls `convert(input, output)` with both positioned faces when both ends
// have one, with both streams otherwise, so that the faces' types choose the
// conversion's form.
template <typename Convert>
decltype(auto) WithEnds(const ConversionEnds& ends, Convert&& convert) {
    if (ends.positionedSource != nullptr && ends.positionedSink != nullptr)
        return convert(*ends.positionedSource, *ends.positionedSink);
    return convert(ends.source, ends.sink);
}

}  // namespace ciphora
