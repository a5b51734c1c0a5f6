#include "CipherTextDecoder.h"

#include <algorithm>
#include <limits>

#include "CipherText.h"

namespace ciphora {

namespace {
constexpr std::size_t kBatch = 4096;
constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kStringPiece = kLineLength * 4096;

// Only text that starts with a canonical line is worth handing to the kernel.
bool StartsCanonical(const Byte* text, std::size_t size) {
    Byte codes[kCodesPerLine];
    return size >= kLineLength && CipherKernel::ParseCanonicalLine(text, codes);
}

bool IsDigit(Byte c) { return c >= '0' && c <= '9'; }
}  // namespace

CipherTextDecoder::CipherTextDecoder(const CipherKernel& kernel, ReductionObserver onReduction)
    : CipherTextDecoder(kernel, 0, std::move(onReduction)) {}

CipherTextDecoder::CipherTextDecoder(const CipherKernel& kernel, std::uint64_t codesRead, ReductionObserver onReduction)
    : kernel_(kernel), onReduction_(std::move(onReduction)), codesRead_(codesRead), firstPending_(codesRead) {
    pending_.reserve(kBatch);
}

void CipherTextDecoder::CompleteCode(int value) {
    while (value > 255) {
        onReduction_(value, codesRead_ + 1);
        value -= 256;
    }
    ++codesRead_;
    pending_.push_back(static_cast<Byte>(value));
}

Byte* CipherTextDecoder::Flush(Byte* plain) {
    if (pending_.empty()) return plain;
    kernel_.Decipher(pending_.data(), pending_.size(), firstPending_, plain, tables_);
    firstPending_ += pending_.size();
    plain += pending_.size();
    pending_.clear();
    return plain;
}

void CipherTextDecoder::Feed(const Byte* input, std::size_t size, std::string& plain) {
    // In pieces of whole lines, so that the room made for each piece is still
    // in the cache when the kernel fills it.
    for (std::size_t at = 0; at < size; at += kStringPiece) {
        const std::size_t piece = std::min(kStringPiece, size - at);
        const std::size_t start = plain.size();
        plain.resize(start + PlainRoom(piece));
        plain.resize(start + Feed(input + at, piece, reinterpret_cast<Byte*>(plain.data() + start)));
    }
}

std::size_t CipherTextDecoder::Feed(const Byte* input, std::size_t size, Byte* plain) {
    Byte* const start = plain;
    std::size_t i = 0;
    while (i < size) {
        if (AtCanonicalStart()) {
            // Canonical lines go straight through the kernel; what follows
            // them in this piece, if anything, is read digit by digit to the
            // end of its line. A piece that ends with them ends at a line start.
            if (!StartsCanonical(input + i, size - i)) {
                atLineStart_ = false;
                continue;
            }
            plain = Flush(plain);
            const std::size_t codes =
                kernel_.DecipherCanonicalLines(input + i, size - i, codesRead_, kNoLimit, plain, tables_);
            codesRead_ += codes;
            firstPending_ += codes;
            plain += codes;
            i += static_cast<std::size_t>(SpanCipherSize(0, codes));
            atLineStart_ = i == size;
            continue;
        }
        deviated_ = true;
        if (partial_.Empty() && i + 3 <= size && IsDigit(input[i]) && IsDigit(input[i + 1]) && IsDigit(input[i + 2])) {
            CompleteCode((input[i] - '0') * 100 + (input[i + 1] - '0') * 10 + (input[i + 2] - '0'));
            i += 3;
            if (pending_.size() == kBatch) plain = Flush(plain);
            continue;
        }
        const Byte c = input[i++];
        if (!IsDigit(c)) {
            atLineStart_ = c == '\n';
            continue;
        }
        if (partial_.Add(c)) {
            CompleteCode(partial_.Take());
            if (pending_.size() == kBatch) plain = Flush(plain);
        }
    }
    return static_cast<std::size_t>(Flush(plain) - start);
}

void CipherTextDecoder::Finish(std::string& plain, std::uint64_t totalLength) {
    Byte last = 0;
    if (Finish(&last, totalLength) > 0) plain.push_back(static_cast<char>(last));
}

std::size_t CipherTextDecoder::Finish(Byte* plain, std::uint64_t totalLength) {
    const bool hasRoom = kDigitsPerCode * (codesRead_ + 1) <= totalLength;
    unfinishedDigits_ = partial_.Digits();
    if (!partial_.Empty() && hasRoom) CompleteCode(partial_.Take());
    partial_ = {};
    return static_cast<std::size_t>(Flush(plain) - plain);
}

}  // namespace ciphora
