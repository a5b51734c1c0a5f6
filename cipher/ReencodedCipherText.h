#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ByteStreams.h"

namespace ciphora {

// How cipher text came to be stored. It is ASCII digits and line breaks, so
// a byte-order mark tells unambiguously that an editor (Notepad: UTF-8 with
// a mark) or a shell (Windows PowerShell 5.1's ">": UTF-16LE) re-encoded it.
enum class CipherTextEncoding { Bytes, Utf8WithMark, Utf16LittleEndian, Utf16BigEndian };

// The encoding that the first bytes of a text show, and the length of its
// mark; at least three bytes are needed when the text has them.
CipherTextEncoding EncodingOf(std::string_view firstBytes);
std::size_t MarkLength(CipherTextEncoding encoding);
// "UTF-16LE with a byte-order mark" and the like.
std::string EncodingName(CipherTextEncoding encoding);

// The bytes of cipher text as the cipher wrote them, read from a source that
// holds it re-encoded, after its mark: UTF-8 passes as it is, UTF-16 units
// become one byte each (a unit outside ASCII becomes "?", which deciphering
// skips like any other character that is no digit).
class ReencodedCipherText : public ByteSource {
public:
    ReencodedCipherText(ByteSource& afterMark, CipherTextEncoding encoding);
    std::size_t Read(void* buffer, std::size_t size) override;
    std::optional<std::uint64_t> Size() const override;

private:
    ByteSource& source_;
    CipherTextEncoding encoding_;
    std::vector<char> units_;
};

// A source read again from its start after its first bytes were looked at.
class PeekedSource : public ByteSource {
public:
    PeekedSource(std::string peeked, ByteSource& rest) : peeked_(std::move(peeked)), rest_(rest) {}
    std::size_t Read(void* buffer, std::size_t size) override;
    std::optional<std::uint64_t> Size() const override;

private:
    std::string peeked_;
    std::size_t taken_ = 0;
    ByteSource& rest_;
};

}  // namespace ciphora
