#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CipherKernel.h"

namespace ciphora {

// Reads cipher text the lenient way and deciphers it: every character that is
// not an ASCII digit is skipped, the digits are taken three at a time, a code
// above 255 is reduced by 256 (each reduction reported first), and a last
// code of one or two digits counts too. Reading ends for good once another
// code would break the rule 3 x (codes read + 1) <= L, where L is the length
// of the whole text, separators included. The text may arrive in pieces.
class CipherTextDecoder {
public:
    using ReductionObserver = std::function<void(int code)>;

    CipherTextDecoder(const CipherKernel& kernel, std::uint64_t totalLength, ReductionObserver onReduction);

    // Starts reading in the middle of a text, at the start of a line, as if
    // `codesRead` codes had been read before.
    CipherTextDecoder(const CipherKernel& kernel, std::uint64_t totalLength, std::uint64_t codesRead,
                      ReductionObserver onReduction);

    // Deciphers the codes that `size` more bytes of the text complete and
    // appends their characters to `plain`.
    void Feed(const Byte* input, std::size_t size, std::string& plain);

    // Deciphers a last code of one or two digits, once all the text is fed.
    void Finish(std::string& plain);

    // Whether anything so far was read other than as canonical lines (60
    // digits and CR LF, every code at most 255).
    bool Deviated() const { return deviated_; }

private:
    void CompleteCode(int value);
    void Flush(std::string& plain);
    // Canonical lines at the start of the input, deciphered straight into
    // `plain`; returns the bytes they took.
    std::size_t FeedCanonicalLines(const Byte* input, std::size_t size, std::string& plain);

    const CipherKernel& kernel_;
    std::uint64_t maxCodes_;
    ReductionObserver onReduction_;
    std::uint64_t codesRead_ = 0;
    std::uint64_t firstPending_ = 0;
    int partialValue_ = 0;
    int partialDigits_ = 0;
    bool ended_ = false;
    bool atLineStart_ = true;
    bool deviated_ = false;
    std::vector<Byte> pending_;
};

}  // namespace ciphora
