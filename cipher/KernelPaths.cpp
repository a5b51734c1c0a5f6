#include "KernelPaths.h"

#include <cstdlib>
#include <iterator>

#if CIPHORA_X86_KERNELS
#include "Avx2Kernel.h"
#include "Avx512Kernel.h"
#endif
#if CIPHORA_NEON_KERNEL
#include "NeonKernel.h"
#endif

namespace ciphora {

namespace {

bool Always() { return true; }
[[maybe_unused]] bool Never() { return false; }

// Every path, in the order of KernelPath, which is also slowest first.
constexpr KernelPathDescription kPaths[] = {
    {KernelPath::Scalar, "scalar", Always, nullptr},
#if CIPHORA_X86_KERNELS
    {KernelPath::Avx2, "avx2", avx2::Available, &avx2::kKernel},
    {KernelPath::Avx512, "avx512", avx512::Available, &avx512::kKernel},
#else
    {KernelPath::Avx2, "avx2", Never, nullptr},
    {KernelPath::Avx512, "avx512", Never, nullptr},
#endif
#if CIPHORA_NEON_KERNEL
    {KernelPath::Neon, "neon", Always, &neon::kKernel},
#else
    {KernelPath::Neon, "neon", Never, nullptr},
#endif
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kPaths); ++i)
        if (static_cast<std::size_t>(kPaths[i].path) != i) return false;
    return true;
}
static_assert(std::size(kPaths) == static_cast<std::size_t>(KernelPath::Neon) + 1, "every path is described");
static_assert(InEnumOrder(), "the descriptions are in the order of KernelPath");

}  // namespace

const KernelPathDescription& Describe(KernelPath path) { return kPaths[static_cast<std::size_t>(path)]; }

bool IsAvailable(KernelPath path) { return Describe(path).available(); }

std::vector<KernelPath> AvailableKernelPaths() {
    std::vector<KernelPath> paths;
    for (const KernelPathDescription& description : kPaths)
        if (IsAvailable(description.path)) paths.push_back(description.path);
    return paths;
}

KernelPath BestKernelPath() {
    static const KernelPath best = AvailableKernelPaths().back();
    return best;
}

KernelPath DefaultKernelPath() {
    static const KernelPath chosen = [] {
        const char* name = std::getenv(kKernelPathVariable);
        const std::optional<KernelPath> forced = name != nullptr ? KernelPathNamed(name) : std::nullopt;
        return forced && IsAvailable(*forced) ? *forced : BestKernelPath();
    }();
    return chosen;
}

std::string_view KernelPathName(KernelPath path) { return Describe(path).name; }

std::optional<KernelPath> KernelPathNamed(std::string_view name) {
    for (const KernelPathDescription& description : kPaths)
        if (description.name == name) return description.path;
    return std::nullopt;
}

}  // namespace ciphora
