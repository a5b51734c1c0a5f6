#pragma once

#include <cstdint>
#include <string>

namespace ciphora {

// The cipher-text layout: one three-digit code per character, CR LF after
// every twentieth code and after the last one.
inline constexpr std::uint64_t kCodesPerLine = 20;
inline constexpr std::uint64_t kDigitsPerCode = 3;
inline constexpr std::uint64_t kLineLength = kCodesPerLine * kDigitsPerCode + 2;

// A canonical line is a full line as the cipher writes it: kLineLength bytes,
// twenty codes of three ASCII digits each reading 000 to 255, then CR LF. The
// fast paths of deciphering read canonical lines only; anything else is read
// the lenient way (CipherTextDecoder).

// Bytes that the codes with 0-based indexes first .. first + count - 1 take,
// with the CR LF that follows each code ending a line (the final CR LF after a
// short last line is not included).
constexpr std::uint64_t SpanCipherSize(std::uint64_t first, std::uint64_t count) {
    return kDigitsPerCode * count + 2 * ((first + count) / kCodesPerLine - first / kCodesPerLine);
}

// The most bytes that `count` codes take, wherever in a line they start.
constexpr std::uint64_t LargestSpanCipherSize(std::uint64_t count) {
    return kDigitsPerCode * count + 2 * (count / kCodesPerLine + 1);
}

// The length of the whole cipher text of `count` characters.
constexpr std::uint64_t CipherTextSize(std::uint64_t count) {
    return kDigitsPerCode * count + 2 * ((count + kCodesPerLine - 1) / kCodesPerLine);
}

// The text of a cipher code: the decimal text of n padded with zeros to three
// characters; empty for a text of more than three characters.
std::string ZeroPad3(std::int32_t& n);

}  // namespace ciphora
