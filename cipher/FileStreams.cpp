#include "FileStreams.h"

#include <algorithm>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BlockTrust.h"
#include "CipherText.h"
#include "EncipherYields.h"
#include "VectorKernel.h"
#include "WorkerPool.h"
#include "support/LargeMemory.h"

namespace ciphora {

namespace {

// Whole lines and whole vector groups in every block but the last.
constexpr std::size_t kPlainBlock = std::size_t{60} * 17476;    // about 1 MiB of plain text
constexpr std::size_t kCipherBlock = std::size_t{186} * 16912;  // about 3 MiB of cipher text
constexpr std::size_t kScanBlock = 64u << 10;
// Below this a file is done on the calling thread alone.
constexpr std::uint64_t kParallelFrom = 8u << 20;

// Workers for an input whose first block has been read: none for a small
// file, or when that block already held all there was.
unsigned WorkerCount(const ByteSource& input, bool firstBlockFull) {
    const std::optional<std::uint64_t> size = input.Size();
    if (size ? *size < kParallelFrom : !firstBlockFull) return 0;
    // One core is left to the thread that reads and writes.
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? cores - 1 : 1;
}

void Report(const StreamProgress& progress, std::uint64_t done) {
    if (progress) progress(done);
}

// A block in flight: the input read for it, the output a worker makes.
struct PlainSlot {
    LargeBuffer plain = LargeBuffer(kPlainBlock);
    LargeBuffer cipher = LargeBuffer(SpanCipherSize(0, kPlainBlock));
    std::size_t size = 0;  // of the plain text read
    std::future<std::size_t> done;
};

std::size_t EncipherBlock(const CipherKernel& kernel, PlainSlot& slot, std::uint64_t first) {
    return static_cast<std::size_t>(kernel.Encipher(slot.plain.data(), slot.size, first, slot.cipher.data()) -
                                    slot.cipher.data());
}

static_assert(kCipherBlock % kLineLength == 0, "every block but the last starts at a line start");
static_assert(kPlainBlock % kStepCodesMultiple == 0, "a block of plain text holds whole vector steps");
static_assert(kCipherBlock % SpanCipherSize(0, kStepCodesMultiple) == 0, "a block of cipher text holds whole steps");

struct CipherSlot {
    LargeBuffer cipher = LargeBuffer(kCipherBlock);
    std::size_t size = 0;
    std::uint64_t offset = 0;  // of the block in the input
    // A short block ends the input, so its decoder may finish the text.
    bool Last() const { return size < cipher.size(); }
    // Deciphered on a worker as if only canonical lines came before.
    std::string plain;
    int unfinishedDigits = 0;  // in the last block
    std::future<block_trust::Findings> done;
};

block_trust::Findings DecipherBlock(const CipherKernel& kernel, CipherSlot& slot) {
    block_trust::Findings findings;
    CipherTextDecoder decoder(kernel, block_trust::CodesBeforeCanonical(slot.offset),
                              [&findings](int, std::uint64_t) { findings.reduced = true; });
    slot.plain.clear();
    ReserveLargeString(slot.plain, slot.size / kDigitsPerCode + 1);
    decoder.Feed(slot.cipher.data(), slot.size, slot.plain);
    if (slot.Last()) {
        decoder.Finish(slot.plain, slot.offset + slot.size);
        slot.unfinishedDigits = decoder.UnfinishedDigits();
    }
    findings.canonical = !decoder.Deviated();
    return findings;
}

// The blocks from the oldest one not written (whose outcome is taken) up to
// the last one handed out, in order, once each is done; a block that could
// not be read raises its failure here.
std::vector<CipherSlot*> BlocksInFlight(std::vector<CipherSlot>& slots, std::size_t oldest, std::size_t end) {
    std::vector<CipherSlot*> blocks;
    for (std::size_t block = oldest; block < end; ++block) {
        CipherSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) slot.done.get();
        blocks.push_back(&slot);
    }
    return blocks;
}

// Deciphers on the calling thread from a line start at `offset`, reading as
// the description does, with every reduction reported in order: first the
// blocks read already, then the rest of the input.
DecipherSummary DecipherInOrder(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                                const CipherTextDecoder::ReductionObserver& onReduction, const StreamProgress& progress,
                                std::uint64_t offset, const std::vector<CipherSlot*>& readAlready,
                                LargeBuffer& buffer) {
    CipherTextDecoder decoder(kernel, block_trust::CodesBeforeCanonical(offset), onReduction);
    std::string plain;
    DecipherSummary summary{offset, block_trust::CodesBeforeCanonical(offset)};
    const auto write = [&] {
        output.Write(plain);
        summary.plainLength += plain.size();
        plain.clear();
    };
    const auto feed = [&](const Byte* text, std::size_t size) {
        decoder.Feed(text, size, plain);
        write();
        summary.cipherLength += size;
        Report(progress, summary.cipherLength);
    };
    for (const CipherSlot* slot : readAlready) feed(slot->cipher.data(), slot->size);
    while (const std::size_t size = input.Read(buffer.data(), buffer.size())) feed(buffer.data(), size);
    decoder.Finish(plain, summary.cipherLength);
    write();
    summary.unfinishedDigits = decoder.UnfinishedDigits();
    return summary;
}

// Takes a block that stood into the summary of the text.
void Count(DecipherSummary& summary, const CipherSlot& slot) {
    summary.cipherLength = slot.offset + slot.size;
    summary.plainLength += slot.plain.size();
    summary.unfinishedDigits = slot.unfinishedDigits;
}

// Both ends are files: every worker reads its block where it lies and writes
// its text where it belongs, as each block's place is known from its index.
// The calling thread only hands out the blocks and reports in order.
unsigned FileWorkerCount() { return std::max(1u, std::thread::hardware_concurrency()); }

std::uint64_t EncipherFiles(const CipherKernel& kernel, const FileSource& input, PositionedSink& output,
                            const StreamProgress& progress) {
    const std::uint64_t size = *input.Size();
    EncipherYields yields;
    const unsigned workers = FileWorkerCount();
    std::vector<PlainSlot> slots(workers + 1);
    WorkerPool pool(workers);
    std::uint64_t written = 0;
    const auto collect = [&](PlainSlot& slot) {
        slot.done.get();
        written += slot.size;
        yields.After(written);
        Report(progress, written);
    };
    std::size_t block = 0;
    for (std::uint64_t first = 0; first < size; first += kPlainBlock, ++block) {
        PlainSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) collect(slot);
        slot.size = static_cast<std::size_t>(std::min<std::uint64_t>(kPlainBlock, size - first));
        slot.done = pool.Submit([&kernel, &input, &output, &slot, first] {
            input.ReadAt(first, slot.plain.data(), slot.size);
            const std::size_t cipherSize = EncipherBlock(kernel, slot, first);
            output.WriteAt(SpanCipherSize(0, first), slot.cipher.data(), cipherSize);
            return cipherSize;
        });
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        PlainSlot& slot = slots[(block + i) % slots.size()];
        if (slot.done.valid()) collect(slot);
    }
    input.CheckEnd();
    // The last line is ended by CR LF too.
    if (size % kCodesPerLine != 0) output.WriteAt(SpanCipherSize(0, size), "\r\n", 2);
    return size;
}

DecipherSummary DecipherFiles(const CipherKernel& kernel, const FileSource& input, PositionedSink& output,
                              const CipherTextDecoder::ReductionObserver& onReduction, const StreamProgress& progress) {
    const std::uint64_t size = *input.Size();
    DecipherSummary summary;
    const unsigned workers = FileWorkerCount();
    std::vector<CipherSlot> slots(workers + 2);
    WorkerPool pool(workers);
    std::size_t next = 0;  // the oldest block not yet written
    std::size_t block = 0;
    bool standing = true;  // every block collected so far
    // Whether block `next` stood; its plain text is then written, here, while
    // the workers read and decipher the blocks after it.
    const auto collect = [&] {
        CipherSlot& slot = slots[next % slots.size()];
        if (!block_trust::Stands(slot.done.get(), slot.Last())) return false;
        output.WriteAt(block_trust::CodesBeforeCanonical(slot.offset), slot.plain.data(), slot.plain.size());
        ++next;
        Count(summary, slot);
        Report(progress, summary.cipherLength);
        return true;
    };
    for (std::uint64_t offset = 0; offset < size; offset += kCipherBlock, ++block) {
        CipherSlot& slot = slots[block % slots.size()];
        if (slot.done.valid() && !(standing = collect())) break;
        slot.offset = offset;
        slot.size = static_cast<std::size_t>(std::min<std::uint64_t>(kCipherBlock, size - offset));
        slot.done = pool.Submit([&kernel, &input, &slot] {
            input.ReadAt(slot.offset, slot.cipher.data(), slot.size);
            return DecipherBlock(kernel, slot);
        });
    }
    while (standing && next < block) standing = collect();
    if (standing) {
        input.CheckEnd();
        return summary;
    }
    // From the first block that did not stand, in one pass on this thread:
    // the blocks read already, then the rest of the file.
    const std::vector<CipherSlot*> readAlready = BlocksInFlight(slots, next, block);
    // The oldest block is fed before anything more is read into it.
    CipherSlot& first = *readAlready.front();
    FileSource after = input.From(readAlready.back()->offset + readAlready.back()->size);
    SinkFrom from(output, block_trust::CodesBeforeCanonical(first.offset));
    return DecipherInOrder(kernel, after, from, onReduction, progress, first.offset, readAlready, first.cipher);
}

}  // namespace

bool IsBlankFile(const ReadOnlyFile& input) {
    FileSource source(input);
    std::vector<char> block(kScanBlock);
    while (const std::size_t size = source.Read(block.data(), block.size()))
        if (std::any_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size),
                        [](char c) { return c != ' '; }))
            return false;
    return true;
}

std::uint64_t EncipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                             const StreamProgress& progress) {
    const auto* file = dynamic_cast<const FileSource*>(&input);
    auto* positioned = dynamic_cast<PositionedSink*>(&output);
    if (file != nullptr && file->Start() == 0 && positioned != nullptr && *file->Size() >= kParallelFrom)
        return EncipherFiles(kernel, *file, *positioned, progress);
    EncipherYields yields;
    std::uint64_t written = 0;
    const auto writeBlock = [&](const PlainSlot& slot, std::size_t cipherSize) {
        output.Write(slot.cipher.data(), cipherSize);
        written += slot.size;
        yields.After(written);
        Report(progress, written);
    };
    // The last line is ended by CR LF too.
    const auto finish = [&] {
        if (written % kCodesPerLine != 0) output.Write("\r\n");
        return written;
    };

    std::vector<PlainSlot> slots(1);
    slots[0].size = input.Read(slots[0].plain.data(), kPlainBlock);
    const unsigned workers = WorkerCount(input, slots[0].size == kPlainBlock);
    if (workers == 0) {
        for (PlainSlot& slot = slots[0]; slot.size > 0; slot.size = input.Read(slot.plain.data(), kPlainBlock))
            writeBlock(slot, EncipherBlock(kernel, slot, written));
        return finish();
    }

    // The calling thread reads and writes in order while the workers encipher.
    // Every block's first position is known before it is read.
    slots.resize(workers + 2);
    WorkerPool pool(workers);
    std::uint64_t read = 0;
    std::size_t block = 0;
    for (;; ++block) {
        PlainSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) writeBlock(slot, slot.done.get());
        if (block > 0) slot.size = input.Read(slot.plain.data(), kPlainBlock);
        if (slot.size == 0) break;
        slot.done = pool.Submit([&kernel, &slot, first = read] { return EncipherBlock(kernel, slot, first); });
        read += slot.size;
    }
    for (std::size_t i = 1; i < slots.size(); ++i) {
        PlainSlot& slot = slots[(block + i) % slots.size()];
        if (slot.done.valid()) writeBlock(slot, slot.done.get());
    }
    return finish();
}

DecipherSummary DecipherStream(const CipherKernel& kernel, ByteSource& input, ByteSink& output,
                               const CipherTextDecoder::ReductionObserver& onReduction,
                               const StreamProgress& progress) {
    const auto* file = dynamic_cast<const FileSource*>(&input);
    auto* positioned = dynamic_cast<PositionedSink*>(&output);
    if (file != nullptr && file->Start() == 0 && positioned != nullptr && *file->Size() >= kParallelFrom)
        return DecipherFiles(kernel, *file, *positioned, onReduction, progress);
    std::vector<CipherSlot> slots(1);
    slots[0].size = input.Read(slots[0].cipher.data(), kCipherBlock);
    const unsigned workers = WorkerCount(input, !slots[0].Last());
    if (workers == 0)
        return DecipherInOrder(kernel, input, output, onReduction, progress, 0, {&slots[0]}, slots[0].cipher);

    // Every block is deciphered on a worker as if the text before it were
    // canonical lines, which puts its first code at a known index. Blocks are
    // written in order for as long as that holds; from the first block where
    // it does not (or where a code must be reduced and reported) the rest is
    // read on this thread, exactly as a single pass would: the blocks read
    // already first, then what follows them.
    slots.resize(workers + 2);
    WorkerPool pool(workers);
    std::size_t next = 0;  // the oldest block not yet written
    std::size_t block = 0;
    std::uint64_t read = 0;
    DecipherSummary summary;
    bool takenOver = false;  // once a block could not be trusted
    const auto collect = [&] {
        CipherSlot& slot = slots[next % slots.size()];
        if (!block_trust::Stands(slot.done.get(), slot.Last())) {
            const std::vector<CipherSlot*> readAlready = BlocksInFlight(slots, next, block);
            // The oldest block is fed before anything more is read into it.
            summary =
                DecipherInOrder(kernel, input, output, onReduction, progress, slot.offset, readAlready, slot.cipher);
            takenOver = true;
            return;
        }
        output.Write(slot.plain);
        ++next;
        Count(summary, slot);
        Report(progress, summary.cipherLength);
    };
    for (;; ++block) {
        CipherSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) {
            collect();
            if (takenOver) return summary;
        }
        if (block > 0) slot.size = input.Read(slot.cipher.data(), kCipherBlock);
        if (slot.size == 0) break;
        slot.offset = read;
        slot.done = pool.Submit([&kernel, &slot] { return DecipherBlock(kernel, slot); });
        read += slot.size;
    }
    while (next < block) {
        collect();
        if (takenOver) return summary;
    }
    return summary;
}

}  // namespace ciphora
