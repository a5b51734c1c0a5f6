#include "LargeMemory.h"

#include <new>

namespace ciphora {

namespace {
// Large pages are 2 MiB on the processors this runs on.
constexpr std::size_t kLargePage = std::size_t{2} << 20;
}  // namespace

void ReserveLargeString(std::string& text, std::size_t capacity) {
    text.reserve(capacity);
    AdviseLargePages(text.data(), capacity);
}

LargeBuffer::LargeBuffer(std::size_t size)
    : bytes_(static_cast<std::uint8_t*>(::operator new (size, std::align_val_t{kLargePage}))), size_(size) {
    AdviseLargePages(bytes_.get(), size);
}

void LargeBuffer::Free::operator()(std::uint8_t* bytes) const {
    ::operator delete (bytes, std::align_val_t{kLargePage});
}

}  // namespace ciphora
