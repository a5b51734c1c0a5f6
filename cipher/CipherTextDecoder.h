#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CipherKernel.h"
#include "CipherText.h"

namespace ciphora {

// Reads cipher text the lenient way and deciphers it: every character that is
// not an ASCII digit is skipped, the digits are taken three at a time, a code
// above 255 is reduced by 256 (each reduction reported first), and a last
// code of one or two digits counts too. Reading ends for good once another
// code would break the rule 3 x (codes read + 1) <= L, where L is the length
// of the whole text, separators included. The text may arrive in pieces, and
// its length need not be known before its end: a code of three digits lies
// within the text, so it always keeps the rule, and only a last code of one
// or two digits is judged by it, at Finish.
class CipherTextDecoder {
public:
    // Called with the code before its reduction and its 1-based index among
    // the codes of the text.
    using ReductionObserver = std::function<void(int code, std::uint64_t index)>;

    explicit CipherTextDecoder(const CipherKernel& kernel, ReductionObserver onReduction);

    // Starts reading in the middle of a text, at the start of a line, as if
    // `codesRead` codes had been read before.
    CipherTextDecoder(const CipherKernel& kernel, std::uint64_t codesRead, ReductionObserver onReduction);

    // Deciphers the codes that `size` more bytes of the text complete and
    // appends their characters to `plain`.
    void Feed(const Byte* input, std::size_t size, std::string& plain);
    // The same into `plain`, which has room for PlainRoom(size) bytes;
    // returns the bytes written.
    std::size_t Feed(const Byte* input, std::size_t size, Byte* plain);
    // The most characters that `size` more bytes can complete.
    std::size_t PlainRoom(std::size_t size) const {
        return (static_cast<std::size_t>(PartialDigits()) + size) / kDigitsPerCode;
    }

    // Once all the text is fed: deciphers a last code of one or two digits
    // when the text's whole length `totalLength` has room for it.
    void Finish(std::string& plain, std::uint64_t totalLength);
    // The same into `plain`, which has room for one byte; returns the bytes
    // written.
    std::size_t Finish(Byte* plain, std::uint64_t totalLength);

    // Whether anything so far was read other than as canonical lines
    // (CipherText.h).
    bool Deviated() const { return deviated_; }

    // The digits of a code begun but not yet complete (0, 1 or 2): the
    // characters that the next bytes can complete are (this + their digits) / 3.
    int PartialDigits() const { return partial_.Digits(); }

    // After Finish: the digits of a last code that the text cut short (1 or
    // 2), whether or not they were deciphered; 0 when it ended between codes.
    int UnfinishedDigits() const { return unfinishedDigits_; }

private:
    // The digits of a code read so far, when a line breaks it up or a piece
    // of the text ends inside it.
    class PartialCode {
    public:
        bool Empty() const { return digits_ == 0; }
        int Digits() const { return digits_; }
        // Adds a digit; true once the code has its three.
        bool Add(Byte digit) {
            value_ = value_ * 10 + (digit - '0');
            return ++digits_ == kDigitsPerCode;
        }
        // The code read so far, which starts again empty.
        int Take() {
            const int value = value_;
            *this = {};
            return value;
        }

    private:
        int value_ = 0;
        int digits_ = 0;
    };

    // Canonical lines can only begin where a line begins and no code is
    // partly read.
    bool AtCanonicalStart() const { return atLineStart_ && partial_.Empty(); }
    void CompleteCode(int value);
    // Deciphers the pending codes into `plain`; returns its new end.
    Byte* Flush(Byte* plain);

    const CipherKernel& kernel_;
    CipherKernel::DecipherTables tables_;
    ReductionObserver onReduction_;
    std::uint64_t codesRead_ = 0;
    // Codes read but not yet deciphered, and the index of the first of them.
    std::vector<Byte> pending_;
    std::uint64_t firstPending_ = 0;
    PartialCode partial_;
    bool atLineStart_ = true;
    bool deviated_ = false;
    int unfinishedDigits_ = 0;
};

}  // namespace ciphora
