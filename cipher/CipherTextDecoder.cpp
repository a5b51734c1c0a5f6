#include "CipherTextDecoder.h"

#include <algorithm>
#include <limits>

#include "CipherText.h"

namespace ciphora {

namespace {
constexpr std::size_t kBatch = 4096;
// Canonical lines are taken in pieces of at most this many bytes, so that the
// output never grows far beyond what they give.
constexpr std::size_t kFirstPiece = kLineLength * 3;
constexpr std::size_t kLargestPiece = kLineLength * 16384;
constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

// Only a piece that starts with a canonical line is worth handing to the
// kernel.
bool StartsCanonical(const Byte* text) {
    Byte codes[kCodesPerLine];
    return CipherKernel::ParseCanonicalLine(text, codes);
}

bool IsDigit(Byte c) { return c >= '0' && c <= '9'; }
}  // namespace

CipherTextDecoder::CipherTextDecoder(const CipherKernel& kernel, ReductionObserver onReduction)
    : CipherTextDecoder(kernel, 0, std::move(onReduction)) {}

CipherTextDecoder::CipherTextDecoder(const CipherKernel& kernel, std::uint64_t codesRead, ReductionObserver onReduction)
    : kernel_(kernel), onReduction_(std::move(onReduction)), codesRead_(codesRead), firstPending_(codesRead) {
    pending_.reserve(kBatch);
}

std::size_t CipherTextDecoder::FeedCanonicalLines(const Byte* input, std::size_t size, std::string& plain) {
    Flush(plain);
    std::size_t consumed = 0;
    // The pieces grow while the lines stay canonical, so that text that is
    // canonical only here and there costs little.
    for (std::size_t piece = kFirstPiece;; piece = std::min(2 * piece, kLargestPiece)) {
        const std::size_t chunk = std::min(size - consumed, piece);
        const Byte* line = input + consumed;
        if (chunk < kLineLength || !StartsCanonical(line)) break;
        const std::size_t lines = chunk / kLineLength;
        const std::size_t start = plain.size();
        plain.resize(start + lines * kCodesPerLine);
        const std::size_t codes = kernel_.DecipherCanonicalLines(line, chunk, codesRead_, kNoLimit,
                                                                 reinterpret_cast<Byte*>(plain.data() + start));
        plain.resize(start + codes);
        codesRead_ += codes;
        firstPending_ += codes;
        consumed += codes / kCodesPerLine * kLineLength;
        if (codes < lines * kCodesPerLine) break;
    }
    return consumed;
}

void CipherTextDecoder::CompleteCode(int value) {
    while (value > 255) {
        onReduction_(value, codesRead_ + 1);
        value -= 256;
    }
    ++codesRead_;
    pending_.push_back(static_cast<Byte>(value));
}

void CipherTextDecoder::Flush(std::string& plain) {
    if (pending_.empty()) return;
    const std::size_t start = plain.size();
    plain.resize(start + pending_.size());
    kernel_.Decipher(pending_.data(), pending_.size(), firstPending_, reinterpret_cast<Byte*>(plain.data() + start));
    firstPending_ += pending_.size();
    pending_.clear();
}

void CipherTextDecoder::Feed(const Byte* input, std::size_t size, std::string& plain) {
    std::size_t i = 0;
    while (i < size) {
        if (AtCanonicalStart()) {
            i += FeedCanonicalLines(input + i, size - i, plain);
            // What follows, if anything, is read digit by digit to the end of its line.
            atLineStart_ = false;
            continue;
        }
        deviated_ = true;
        if (partial_.Empty() && i + 3 <= size && IsDigit(input[i]) && IsDigit(input[i + 1]) && IsDigit(input[i + 2])) {
            CompleteCode((input[i] - '0') * 100 + (input[i + 1] - '0') * 10 + (input[i + 2] - '0'));
            i += 3;
            if (pending_.size() == kBatch) Flush(plain);
            continue;
        }
        const Byte c = input[i++];
        if (!IsDigit(c)) {
            atLineStart_ = c == '\n';
            continue;
        }
        if (partial_.Add(c)) {
            CompleteCode(partial_.Take());
            if (pending_.size() == kBatch) Flush(plain);
        }
    }
    Flush(plain);
}

void CipherTextDecoder::Finish(std::string& plain, std::uint64_t totalLength) {
    const bool hasRoom = kDigitsPerCode * (codesRead_ + 1) <= totalLength;
    unfinishedDigits_ = partial_.Digits();
    if (!partial_.Empty() && hasRoom) CompleteCode(partial_.Take());
    partial_ = {};
    Flush(plain);
}

}  // namespace ciphora
