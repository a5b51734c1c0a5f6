#include "FileStreams.h"

#include <algorithm>
#include <string>
#include <vector>

#include "CipherText.h"
#include "EncipherYields.h"

namespace ciphora {

namespace {

constexpr std::size_t kPlainBlock = 1u << 20;
constexpr std::size_t kCipherBlock = 3u << 20;
constexpr std::size_t kScanBlock = 64u << 10;

// Reads a block at `offset`, insisting on the size the file had when it was
// opened: a short block before the end means it shrank.
std::size_t ReadBlock(const ReadOnlyFile& input, std::uint64_t offset, void* buffer, std::size_t wanted) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, input.Size() - offset));
    if (input.ReadAt(offset, buffer, size) != size) throw ReadFailure(kDeviceIoError, "The file changed while it was read");
    return size;
}

// A file that grew while it was read no longer holds the text that was read.
void RequireUnchangedEnd(const ReadOnlyFile& input) {
    char extra;
    if (input.ReadAt(input.Size(), &extra, 1) != 0) throw ReadFailure(kDeviceIoError, "The file changed while it was read");
}

}  // namespace

bool IsBlankFile(const ReadOnlyFile& input) {
    std::vector<char> block(kScanBlock);
    for (std::uint64_t offset = 0; offset < input.Size();) {
        const std::size_t size = ReadBlock(input, offset, block.data(), block.size());
        if (std::any_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size), [](char c) { return c != ' '; }))
            return false;
        offset += size;
    }
    return true;
}

void EncipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output) {
    std::vector<Byte> plain(kPlainBlock);
    std::vector<Byte> cipher(SpanCipherSize(0, kPlainBlock) + 2 * 2);
    EncipherYields yields;
    std::uint64_t done = 0;
    while (done < input.Size()) {
        const std::size_t size = ReadBlock(input, done, plain.data(), plain.size());
        Byte* end = kernel.Encipher(plain.data(), size, done, cipher.data());
        done += size;
        if (done == input.Size() && done % kCodesPerLine != 0) {
            *end++ = '\r';
            *end++ = '\n';
        }
        output.Write(cipher.data(), static_cast<std::size_t>(end - cipher.data()));
        yields.After(done);
    }
    RequireUnchangedEnd(input);
}

void DecipherStream(const CipherKernel& kernel, const ReadOnlyFile& input, AtomicFileWriter& output,
                    const CipherTextDecoder::ReductionObserver& onReduction) {
    CipherTextDecoder decoder(kernel, input.Size(), onReduction);
    std::vector<Byte> cipher(kCipherBlock);
    std::string plain;
    plain.reserve(kCipherBlock / kDigitsPerCode + 1);
    for (std::uint64_t done = 0; done < input.Size();) {
        const std::size_t size = ReadBlock(input, done, cipher.data(), cipher.size());
        decoder.Feed(cipher.data(), size, plain);
        output.Write(plain);
        plain.clear();
        done += size;
    }
    RequireUnchangedEnd(input);
    decoder.Finish(plain);
    output.Write(plain);
}

}  // namespace ciphora
