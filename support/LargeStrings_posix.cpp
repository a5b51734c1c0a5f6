#include "LargeStrings.h"

#include <sys/mman.h>

#include <cstdint>

namespace ciphora {

namespace {
constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
}  // namespace

void ReserveLargeString(std::string& text, std::size_t capacity) {
    text.reserve(capacity);
#ifdef MADV_HUGEPAGE
    // Only whole large pages inside the room can be advised.
    const auto start = reinterpret_cast<std::uintptr_t>(text.data());
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (start + capacity) & ~(kLargePage - 1);
    // Advice only: where large pages are not to be had, small ones serve.
    if (end > first) static_cast<void>(madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE));
#endif
}

}  // namespace ciphora
