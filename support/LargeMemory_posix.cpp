#include "LargeMemory.h"

#include <sys/mman.h>

#include <cstdint>

namespace ciphora {

void AdviseLargePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (start + size) & ~(kLargePage - 1);
    // Where large pages are not to be had, small ones serve.
    if (end > first) static_cast<void>(madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE));
#else
    static_cast<void>(data);
    static_cast<void>(size);
#endif
}

}  // namespace ciphora
