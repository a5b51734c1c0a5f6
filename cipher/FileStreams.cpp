#include "FileStreams.h"

#include <algorithm>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "CipherText.h"
#include "EncipherYields.h"
#include "WorkerPool.h"

namespace ciphora {

namespace {

// Whole lines and whole vector groups in every block but the last.
constexpr std::size_t kPlainBlock = std::size_t{60} * 17476;    // about 1 MiB of plain text
constexpr std::size_t kCipherBlock = std::size_t{186} * 16912;  // about 3 MiB of cipher text
constexpr std::size_t kScanBlock = 64u << 10;
// Below this a file is done on the calling thread alone.
constexpr std::uint64_t kParallelFrom = 8u << 20;

unsigned WorkerCount(std::uint64_t size) {
    if (size < kParallelFrom) return 0;
    // One core is left to the thread that reads and writes.
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? cores - 1 : 1;
}

// Reads a block at `offset`, insisting on the size the file had when it was
// opened: a short block before the end means it shrank.
std::size_t ReadBlock(const ReadOnlyFile& input, std::uint64_t offset, void* buffer, std::size_t wanted) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, input.Size() - offset));
    if (input.ReadAt(offset, buffer, size) != size)
        throw ReadFailure(kDeviceIoError, "The file changed while it was read");
    return size;
}

// A file that grew while it was read no longer holds the text that was read.
void RequireUnchangedEnd(const ReadOnlyFile& input) {
    char extra;
    if (input.ReadAt(input.Size(), &extra, 1) != 0)
        throw ReadFailure(kDeviceIoError, "The file changed while it was read");
}

// Enciphers a block, adding the final CR LF when the block ends the text
// in the middle of a line. Returns the bytes written.
std::size_t EncipherBlock(const CipherKernel& kernel, const Byte* plain, std::size_t size, std::uint64_t first,
                          bool last, Byte* out) {
    Byte* end = kernel.Encipher(plain, size, first, out);
    if (last && (first + size) % kCodesPerLine != 0) {
        *end++ = '\r';
        *end++ = '\n';
    }
    return static_cast<std::size_t>(end - out);
}

// A block in flight: the input read for it, the output a worker makes.
struct PlainSlot {
    std::vector<Byte> plain = std::vector<Byte>(kPlainBlock);
    std::vector<Byte> cipher = std::vector<Byte>(SpanCipherSize(0, kPlainBlock) + 4);
    std::size_t size = 0;  // of the plain text read
    std::future<std::size_t> done;
};

// The outcome of deciphering one block on a worker, as if everything before
// it were canonical lines.
struct DecipheredBlock {
    std::string plain;
    bool canonical = false;  // only canonical lines, so the next block may trust its start
    bool reduced = false;    // a code above 255 came up and has to be logged in order
};

struct CipherSlot {
    std::vector<Byte> cipher = std::vector<Byte>(kCipherBlock);
    std::uint64_t offset = 0;  // of the block in the file
    bool last = false;
    std::future<DecipheredBlock> done;
};

}  // namespace

bool IsBlankFile(const ReadOnlyFile& input) {
    std::vector<char> block(kScanBlock);
    for (std::uint64_t offset = 0; offset < input.Size();) {
        const std::size_t size = ReadBlock(input, offset, block.data(), block.size());
        if (std::any_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size),
                        [](char c) { return c != ' '; }))
            return false;
        offset += size;
    }
    return true;
}

void EncipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output) {
    const std::uint64_t total = input.Size();
    const unsigned workers = WorkerCount(total);
    EncipherYields yields;
    if (workers == 0) {
        PlainSlot slot;
        for (std::uint64_t done = 0; done < total;) {
            const std::size_t size = ReadBlock(input, done, slot.plain.data(), slot.plain.size());
            output.Write(slot.cipher.data(), EncipherBlock(kernel, slot.plain.data(), size, done, done + size == total,
                                                           slot.cipher.data()));
            done += size;
            yields.After(done);
        }
        RequireUnchangedEnd(input);
        return;
    }

    // The calling thread reads and writes in order while the workers encipher.
    std::vector<PlainSlot> slots(workers + 2);
    WorkerPool pool(workers);
    std::uint64_t written = 0;
    const auto writeOldest = [&](PlainSlot& slot) {
        output.Write(slot.cipher.data(), slot.done.get());
        written += slot.size;
        yields.After(written);
    };
    std::size_t block = 0;
    for (std::uint64_t read = 0; read < total; ++block) {
        PlainSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) writeOldest(slot);
        slot.size = ReadBlock(input, read, slot.plain.data(), slot.plain.size());
        const bool last = read + slot.size == total;
        slot.done = pool.Submit([&kernel, &slot, first = read, last] {
            return EncipherBlock(kernel, slot.plain.data(), slot.size, first, last, slot.cipher.data());
        });
        read += slot.size;
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        PlainSlot& slot = slots[(block + i) % slots.size()];
        if (slot.done.valid()) writeOldest(slot);
    }
    RequireUnchangedEnd(input);
}

namespace {

// Deciphers from `offset` to the end on the calling thread, reading as the
// description does, with every reduction logged in order.
void DecipherRest(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output,
                  const CipherTextDecoder::ReductionObserver& onReduction, std::uint64_t offset,
                  std::uint64_t codesBefore, std::vector<Byte>& buffer) {
    CipherTextDecoder decoder(kernel, input.Size(), codesBefore, onReduction);
    std::string plain;
    for (std::uint64_t done = offset; done < input.Size();) {
        const std::size_t size = ReadBlock(input, done, buffer.data(), buffer.size());
        decoder.Feed(buffer.data(), size, plain);
        output.Write(plain);
        plain.clear();
        done += size;
    }
    RequireUnchangedEnd(input);
    decoder.Finish(plain);
    output.Write(plain);
}

DecipheredBlock DecipherBlock(const CipherKernel& kernel, std::uint64_t total, const Byte* text, std::size_t size,
                              std::uint64_t offset, bool last) {
    DecipheredBlock result;
    CipherTextDecoder decoder(kernel, total, offset / kLineLength * kCodesPerLine,
                              [&result](int) { result.reduced = true; });
    result.plain.reserve(size / kDigitsPerCode + 1);
    decoder.Feed(text, size, result.plain);
    if (last) decoder.Finish(result.plain);
    result.canonical = !decoder.Deviated();
    return result;
}

}  // namespace

void DecipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output,
                    const CipherTextDecoder::ReductionObserver& onReduction) {
    const std::uint64_t total = input.Size();
    const unsigned workers = WorkerCount(total);
    if (workers == 0) {
        std::vector<Byte> buffer(kCipherBlock);
        DecipherRest(kernel, input, output, onReduction, 0, 0, buffer);
        return;
    }

    // Every block is deciphered on a worker as if the text before it were
    // canonical lines, which puts its first code at a known index. Blocks are
    // written in order for as long as that holds; from the first block where
    // it does not (or where a code must be reduced and logged) the rest is
    // read on this thread, exactly as a single pass would.
    std::vector<CipherSlot> slots(workers + 2);
    WorkerPool pool(workers);
    std::size_t next = 0;  // the oldest block not yet written
    std::size_t block = 0;
    std::uint64_t read = 0;
    const auto collect = [&](std::size_t index) -> bool {
        CipherSlot& slot = slots[index % slots.size()];
        DecipheredBlock result = slot.done.get();
        if (result.reduced || (!slot.last && !result.canonical)) {
            DecipherRest(kernel, input, output, onReduction, slot.offset, slot.offset / kLineLength * kCodesPerLine,
                         slot.cipher);
            return false;
        }
        output.Write(result.plain);
        return true;
    };
    for (; read < total; ++block) {
        CipherSlot& slot = slots[block % slots.size()];
        if (slot.done.valid()) {
            if (!collect(next++)) return;
        }
        const std::size_t size = ReadBlock(input, read, slot.cipher.data(), slot.cipher.size());
        slot.offset = read;
        slot.last = read + size == total;
        slot.done = pool.Submit([&kernel, &slot, total, size] {
            return DecipherBlock(kernel, total, slot.cipher.data(), size, slot.offset, slot.last);
        });
        read += size;
    }
    while (next < block) {
        if (!collect(next++)) return;
    }
    RequireUnchangedEnd(input);
}

}  // namespace ciphora
