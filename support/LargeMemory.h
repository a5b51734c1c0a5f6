#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ciphora {

// Memory for large texts and blocks. A fresh page is zeroed by the system
// when it is first touched; for hundreds of megabytes the count of small
// pages, not the copying, decides how long that takes. So where the system
// offers large pages, this memory is backed by them.

// Asks for large pages under the whole large pages within [data, data +
// size); advice only, which the system may ignore.
void AdviseLargePages(void* data, std::size_t size);

// Makes room for `capacity` characters in the empty `text` before any is
// written.
void ReserveLargeString(std::string& text, std::size_t capacity);

// A block of bytes that are not zeroed before use.
class LargeBuffer {
public:
    explicit LargeBuffer(std::size_t size);
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    struct Free {
        void operator()(std::uint8_t* bytes) const;
    };
    std::unique_ptr<std::uint8_t[], Free> bytes_;
    std::size_t size_;
};

}  // namespace ciphora
