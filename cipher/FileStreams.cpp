#include "FileStreams.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

#include "BlockTrust.h"
#include "CipherText.h"
#include "EncipherYields.h"
#include "OrderedBlocks.h"
#include "VectorKernel.h"
#include "support/LargeMemory.h"

namespace ciphora {

namespace {

// Whole lines and whole vector groups in every block but the last.
constexpr std::size_t kPlainBlock = std::size_t{60} * 17476;    // about 1 MiB of plain text
constexpr std::size_t kCipherBlock = std::size_t{186} * 16912;  // about 3 MiB of cipher text
// A worker reads its block of a file in pieces of whole lines (about 256 KiB)
// that stay in its cache while they are deciphered.
constexpr std::size_t kReadPiece = std::size_t{186} * 1409;
constexpr std::size_t kScanBlock = 64u << 10;
// Below this a text is done on the calling thread alone.
constexpr std::uint64_t kParallelFrom = 8u << 20;

static_assert(kCipherBlock % kLineLength == 0, "every block but the last starts at a line start");
static_assert(kPlainBlock % kStepCodesMultiple == 0, "a block of plain text holds whole vector steps");
static_assert(kCipherBlock % SpanCipherSize(0, kStepCodesMultiple) == 0, "a block of cipher text holds whole steps");
static_assert(kReadPiece % SpanCipherSize(0, kStepCodesMultiple) == 0,
              "a piece holds whole steps, so that canonical lines stay canonical across pieces");

// Workers for a text of `size` bytes: none for a small one. When the calling
// thread reads and writes every block (streams), it keeps a core of its own.
unsigned WorkerCount(std::optional<std::uint64_t> size, bool callerReadsAndWrites) {
    if (size && *size < kParallelFrom) return 0;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    if (!callerReadsAndWrites) return cores;
    return cores > 2 ? cores - 1 : 1;
}

// Blocks in flight: one per worker and one finished, waiting to be taken;
// one more keeps the workers busy while the calling thread writes.
std::size_t Depth(unsigned workers, bool callerWrites) { return std::size_t{workers} + (callerWrites ? 2 : 1); }

void Report(const StreamProgress& progress, std::uint64_t done) {
    if (progress) progress(done);
}

// A block of plain text and the cipher text it becomes.
struct PlainSlot {
    LargeBuffer plain = LargeBuffer(kPlainBlock);
    LargeBuffer cipher = LargeBuffer(SpanCipherSize(0, kPlainBlock));
    std::uint64_t first = 0;  // the index of its first character
    std::size_t size = 0;     // of the plain text
    std::size_t cipherSize = 0;

    void Encipher(const CipherKernel& kernel) {
        cipherSize =
            static_cast<std::size_t>(kernel.Encipher(plain.data(), size, first, cipher.data()) - cipher.data());
    }
};

// Every character enciphered ends its line with CR LF, the last one too.
bool EndsInsideALine(std::uint64_t characters) { return characters % kCodesPerLine != 0; }

// Some bytes of a block of cipher text, in memory.
struct Piece {
    const Byte* data;
    std::size_t size;
};

// A block of cipher text deciphered on a worker as if only canonical lines
// came before it, which puts its first code at a known index.
struct DecipheredBlock {
    LargeBuffer plain = LargeBuffer(kCipherBlock / kDigitsPerCode + 1);
    std::uint64_t offset = 0;  // of the block in the text
    std::size_t size = 0;      // of its cipher text
    bool last = false;         // nothing follows it, so its decoder finishes the text
    std::size_t plainSize = 0;
    block_trust::Findings findings;
    int unfinishedDigits = 0;  // in the last block

    // Deciphers the block piece by piece: `nextPiece(fed)` gives the Piece
    // that starts `fed` bytes into it.
    template <typename Pieces>
    void Decipher(const CipherKernel& kernel, Pieces&& nextPiece) {
        findings = {};
        CipherTextDecoder decoder(kernel, block_trust::CodesBeforeCanonical(offset),
                                  [this](int, std::uint64_t) { findings.reduced = true; });
        Byte* out = plain.data();
        for (std::size_t fed = 0; fed < size;) {
            const auto [piece, pieceSize] = nextPiece(fed);
            out += decoder.Feed(piece, pieceSize, out);
            fed += pieceSize;
        }
        if (last) {
            out += decoder.Finish(out, offset + size);
            unfinishedDigits = decoder.UnfinishedDigits();
        }
        plainSize = static_cast<std::size_t>(out - plain.data());
        findings.canonical = !decoder.Deviated();
    }

    // Whether its plain text is what one pass gives, every block before it
    // having stood.
    bool Stands() const { return block_trust::Stands(findings, last); }

    // Counts it into the summary of the text.
    void CountInto(DecipherSummary& summary) const {
        summary.cipherLength = offset + size;
        summary.plainLength += plainSize;
        summary.unfinishedDigits = unfinishedDigits;
    }
};

// A block of a stream keeps its cipher text, which cannot be read again, for
// the single pass that may have to take it over.
struct StreamCipherSlot {
    DecipheredBlock block;
    LargeBuffer cipher = LargeBuffer(kCipherBlock);
};

// A block of a file is read where it lies, piece by piece.
struct FileCipherSlot {
    DecipheredBlock block;
    LargeBuffer piece = LargeBuffer(kReadPiece);
};

// Deciphers on the calling thread from a line start at `offset`, reading
// leniently as one pass over the whole text does, with every reduction
// reported in order: first the blocks read already, then the rest of the
// input through `buffer`.
DecipherSummary DecipherInOrder(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                                const CipherTextDecoder::ReductionObserver& onReduction, const StreamProgress& progress,
                                std::uint64_t offset, const std::vector<StreamCipherSlot*>& readAlready,
                                LargeBuffer& buffer) {
    CipherTextDecoder decoder(kernel, block_trust::CodesBeforeCanonical(offset), onReduction);
    LargeBuffer plain(std::max(kCipherBlock, buffer.size()) / kDigitsPerCode + 1);
    DecipherSummary summary{offset, block_trust::CodesBeforeCanonical(offset)};
    const auto write = [&](std::size_t size) {
        output.Write(plain.data(), size);
        summary.plainLength += size;
    };
    const auto feed = [&](const Byte* text, std::size_t size) {
        write(decoder.Feed(text, size, plain.data()));
        summary.cipherLength += size;
        Report(progress, summary.cipherLength);
    };
    for (const StreamCipherSlot* slot : readAlready) feed(slot->cipher.data(), slot->block.size);
    while (const std::size_t size = input.Read(buffer.data(), buffer.size())) feed(buffer.data(), size);
    write(decoder.Finish(plain.data(), summary.cipherLength));
    summary.unfinishedDigits = decoder.UnfinishedDigits();
    return summary;
}

}  // namespace

bool IsBlankFile(const ReadOnlyFile& input) {
    FileInOrder source(input);
    std::vector<char> block(kScanBlock);
    while (const std::size_t size = source.Read(block.data(), block.size()))
        if (std::any_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size),
                        [](char c) { return c != ' '; }))
            return false;
    return true;
}

std::uint64_t EncipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                             const StreamProgress& progress) {
    EncipherYields yields;
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    const auto take = [&](const PlainSlot& slot) {
        output.Write(slot.cipher.data(), slot.cipherSize);
        written += slot.size;
        yields.After(written);
        Report(progress, written);
    };
    // The calling thread reads and writes in order while the workers
    // encipher; every block's first index is known before it is read.
    const unsigned workers = WorkerCount(input.Size(), true);
    OrderedBlocks<PlainSlot> blocks(workers, Depth(workers, true));
    for (;;) {
        PlainSlot& slot = *blocks.Next(take);
        slot.size = input.Read(slot.plain.data(), kPlainBlock);
        if (slot.size == 0) break;
        slot.first = read;
        read += slot.size;
        blocks.Hand(slot, [&kernel](PlainSlot& handed) { handed.Encipher(kernel); });
    }
    blocks.Drain(take);
    if (EndsInsideALine(written)) output.Write("\r\n");
    return written;
}

std::uint64_t EncipherStream(const CipherKernel& kernel, const PositionedSource& input, PositionedSink& output,
                             const StreamProgress& progress) {
    const std::uint64_t size = input.Length();
    EncipherYields yields;
    std::uint64_t written = 0;
    const auto take = [&](const PlainSlot& slot) {
        written += slot.size;
        yields.After(written);
        Report(progress, written);
    };
    // Every worker reads its block where it lies and writes its cipher text
    // where it belongs; the calling thread only hands out and reports.
    const unsigned workers = WorkerCount(size, false);
    OrderedBlocks<PlainSlot> blocks(workers, Depth(workers, false));
    for (std::uint64_t first = 0; first < size; first += kPlainBlock) {
        PlainSlot& slot = *blocks.Next(take);
        slot.first = first;
        slot.size = static_cast<std::size_t>(std::min<std::uint64_t>(kPlainBlock, size - first));
        blocks.Hand(slot, [&kernel, &input, &output](PlainSlot& handed) {
            input.ReadAt(handed.first, handed.plain.data(), handed.size);
            handed.Encipher(kernel);
            output.WriteAt(SpanCipherSize(0, handed.first), handed.cipher.data(), handed.cipherSize);
        });
    }
    blocks.Drain(take);
    input.CheckEnd();
    if (EndsInsideALine(size)) output.WriteAt(SpanCipherSize(0, size), "\r\n", 2);
    return size;
}

// Every block is deciphered on a worker as if the text before it were
// canonical lines. Blocks are written in order for as long as that holds;
// from the first block where it does not (or where a code must be reduced
// and reported) the rest is read on this thread, exactly as a single pass
// would.

DecipherSummary DecipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                               const CipherTextDecoder::ReductionObserver& onReduction,
                               const StreamProgress& progress) {
    const unsigned workers = WorkerCount(input.Size(), true);
    if (workers == 0) {
        LargeBuffer buffer(kCipherBlock);
        return DecipherInOrder(kernel, input, output, onReduction, progress, 0, {}, buffer);
    }
    DecipherSummary summary;
    const auto take = [&](const StreamCipherSlot& slot) {
        if (!slot.block.Stands()) return false;
        output.Write(slot.block.plain.data(), slot.block.plainSize);
        slot.block.CountInto(summary);
        Report(progress, summary.cipherLength);
        return true;
    };
    OrderedBlocks<StreamCipherSlot> blocks(workers, Depth(workers, true));
    std::uint64_t read = 0;
    while (StreamCipherSlot* slot = blocks.Next(take)) {
        DecipheredBlock& block = slot->block;
        block.size = input.Read(slot->cipher.data(), kCipherBlock);
        if (block.size == 0) break;
        block.offset = read;
        block.last = block.size < kCipherBlock;
        read += block.size;
        blocks.Hand(*slot, [&kernel](StreamCipherSlot& handed) {
            handed.block.Decipher(kernel, [&handed](std::size_t) {
                return Piece{handed.cipher.data(), handed.block.size};
            });
        });
    }
    if (blocks.Drain(take)) return summary;
    // The blocks read already, then what follows them; the oldest block is
    // fed before anything more is read into it.
    const std::vector<StreamCipherSlot*> readAlready = blocks.Stop();
    StreamCipherSlot& first = *readAlready.front();
    return DecipherInOrder(kernel, input, output, onReduction, progress, first.block.offset, readAlready, first.cipher);
}

DecipherSummary DecipherStream(const CipherKernel& kernel, const PositionedSource& input, PositionedSink& output,
                               const CipherTextDecoder::ReductionObserver& onReduction,
                               const StreamProgress& progress) {
    const std::uint64_t size = input.Length();
    const unsigned workers = WorkerCount(size, false);
    if (workers == 0) {
        SourceFrom inOrder(input);
        SinkFrom outInOrder(output, 0);
        LargeBuffer buffer(kCipherBlock);
        return DecipherInOrder(kernel, inOrder, outInOrder, onReduction, progress, 0, {}, buffer);
    }
    // Workers read their blocks where they lie; the calling thread writes
    // each block's plain text where it belongs once it stands.
    DecipherSummary summary;
    const auto take = [&](const FileCipherSlot& slot) {
        if (!slot.block.Stands()) return false;
        output.WriteAt(summary.plainLength, slot.block.plain.data(), slot.block.plainSize);
        slot.block.CountInto(summary);
        Report(progress, summary.cipherLength);
        return true;
    };
    OrderedBlocks<FileCipherSlot> blocks(workers, Depth(workers, true));
    for (std::uint64_t offset = 0; offset < size; offset += kCipherBlock) {
        FileCipherSlot* slot = blocks.Next(take);
        if (slot == nullptr) break;
        DecipheredBlock& block = slot->block;
        block.offset = offset;
        block.size = static_cast<std::size_t>(std::min<std::uint64_t>(kCipherBlock, size - offset));
        block.last = offset + block.size == size;
        blocks.Hand(*slot, [&kernel, &input](FileCipherSlot& handed) {
            handed.block.Decipher(kernel, [&](std::size_t fed) {
                const std::size_t pieceSize = std::min(kReadPiece, handed.block.size - fed);
                input.ReadAt(handed.block.offset + fed, handed.piece.data(), pieceSize);
                return Piece{handed.piece.data(), pieceSize};
            });
        });
    }
    if (blocks.Drain(take)) {
        input.CheckEnd();
        return summary;
    }
    // From the first block that did not stand, in one pass on this thread.
    FileCipherSlot& first = *blocks.Stop().front();
    SourceFrom rest(input, first.block.offset);
    SinkFrom outInOrder(output, summary.plainLength);
    return DecipherInOrder(kernel, rest, outInOrder, onReduction, progress, first.block.offset, {}, first.piece);
}

}  // namespace ciphora
