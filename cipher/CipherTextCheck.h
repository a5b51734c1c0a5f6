#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ciphora {

// Checks that a text is sound cipher text, the way the cipher writes it:
// lines of twenty three-digit codes, each line ended by CR LF, the last one
// holding one to twenty codes, every code from 000 to 255; an empty text is
// the cipher text of an empty one. The text may arrive in pieces.
class CipherTextCheck {
public:
    // Where the text first departs from that layout.
    struct Deviation {
        std::uint64_t line = 0;    // from 1
        std::uint64_t column = 0;  // from 1, in bytes
        std::string what;
    };

    void Feed(const char* text, std::size_t size);
    // Once all the text is fed.
    void Finish();

    bool Sound() const { return !deviation_ && codesAbove255_ == 0; }
    const std::optional<Deviation>& FirstDeviation() const { return deviation_; }
    std::uint64_t Codes() const { return codes_; }
    // Codes above 255, which deciphering reduces by 256.
    std::uint64_t CodesAbove255() const { return codesAbove255_; }

private:
    // At the byte `columnsBack` before the current one.
    void Deviate(std::string what, std::uint64_t columnsBack = 0);
    void Take(char c);

    std::uint64_t line_ = 1;
    std::uint64_t column_ = 1;
    std::uint64_t codes_ = 0;
    std::uint64_t codesAbove255_ = 0;
    std::uint64_t codesInLine_ = 0;
    int digits_ = 0;  // of the code being read
    int value_ = 0;
    bool afterCarriageReturn_ = false;
    std::optional<Deviation> shortLine_;  // a line of fewer than twenty codes, unless it is the last
    std::optional<Deviation> deviation_;
};

}  // namespace ciphora
