#include "ReencodedCipherText.h"

#include <algorithm>
#include <cstring>

namespace ciphora {

CipherTextEncoding EncodingOf(std::string_view firstBytes) {
    if (firstBytes.starts_with("\xEF\xBB\xBF")) return CipherTextEncoding::Utf8WithMark;
    if (firstBytes.starts_with("\xFF\xFE")) return CipherTextEncoding::Utf16LittleEndian;
    if (firstBytes.starts_with("\xFE\xFF")) return CipherTextEncoding::Utf16BigEndian;
    return CipherTextEncoding::Bytes;
}

std::size_t MarkLength(CipherTextEncoding encoding) {
    switch (encoding) {
        case CipherTextEncoding::Bytes: return 0;
        case CipherTextEncoding::Utf8WithMark: return 3;
        case CipherTextEncoding::Utf16LittleEndian:
        case CipherTextEncoding::Utf16BigEndian: return 2;
    }
    return 0;
}

std::string EncodingName(CipherTextEncoding encoding) {
    switch (encoding) {
        case CipherTextEncoding::Bytes: return "bytes";
        case CipherTextEncoding::Utf8WithMark: return "UTF-8 with a byte-order mark";
        case CipherTextEncoding::Utf16LittleEndian: return "UTF-16LE with a byte-order mark";
        case CipherTextEncoding::Utf16BigEndian: return "UTF-16BE with a byte-order mark";
    }
    return {};
}

ReencodedCipherText::ReencodedCipherText(ByteSource& afterMark, CipherTextEncoding encoding)
    : source_(afterMark), encoding_(encoding) {}

std::size_t ReencodedCipherText::Read(void* buffer, std::size_t size) {
    if (encoding_ != CipherTextEncoding::Utf16LittleEndian && encoding_ != CipherTextEncoding::Utf16BigEndian)
        return source_.Read(buffer, size);
    units_.resize(2 * size);
    const std::size_t got = source_.Read(units_.data(), units_.size());
    // A last byte without its pair is a unit cut short: nothing to read.
    const std::size_t low = encoding_ == CipherTextEncoding::Utf16LittleEndian ? 0 : 1;
    auto* bytes = static_cast<char*>(buffer);
    for (std::size_t unit = 0; unit < got / 2; ++unit) {
        const char lowByte = units_[2 * unit + low];
        const char highByte = units_[2 * unit + 1 - low];
        bytes[unit] = highByte == 0 && static_cast<unsigned char>(lowByte) < 0x80 ? lowByte : '?';
    }
    return got / 2;
}

std::optional<std::uint64_t> ReencodedCipherText::Size() const {
    const std::optional<std::uint64_t> size = source_.Size();
    if (!size || encoding_ == CipherTextEncoding::Bytes || encoding_ == CipherTextEncoding::Utf8WithMark) return size;
    return *size / 2;
}

std::size_t PeekedSource::Read(void* buffer, std::size_t size) {
    const std::size_t fromPeeked = std::min(size, peeked_.size() - taken_);
    std::memcpy(buffer, peeked_.data() + taken_, fromPeeked);
    taken_ += fromPeeked;
    if (fromPeeked == size) return size;
    return fromPeeked + rest_.Read(static_cast<char*>(buffer) + fromPeeked, size - fromPeeked);
}

std::optional<std::uint64_t> PeekedSource::Size() const {
    const std::optional<std::uint64_t> rest = rest_.Size();
    if (!rest) return std::nullopt;
    return *rest + peeked_.size();
}

}  // namespace ciphora
