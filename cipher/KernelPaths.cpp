#include "KernelPaths.h"

#include <cstdlib>

#include "Avx2Kernel.h"
#include "Avx512Kernel.h"

namespace ciphora {

namespace {
constexpr KernelPath kAllPaths[] = {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512};
}  // namespace

bool IsAvailable(KernelPath path) {
    switch (path) {
        case KernelPath::Scalar: return true;
        case KernelPath::Avx2: return avx2::Available();
        case KernelPath::Avx512: return avx512::Available();
    }
    return false;
}

std::vector<KernelPath> AvailableKernelPaths() {
    std::vector<KernelPath> paths;
    for (KernelPath path : kAllPaths)
        if (IsAvailable(path)) paths.push_back(path);
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

std::string_view KernelPathName(KernelPath path) {
    switch (path) {
        case KernelPath::Scalar: return "scalar";
        case KernelPath::Avx2: return "avx2";
        case KernelPath::Avx512: return "avx512";
    }
    return {};
}

std::optional<KernelPath> KernelPathNamed(std::string_view name) {
    for (KernelPath path : kAllPaths)
        if (KernelPathName(path) == name) return path;
    return std::nullopt;
}

}  // namespace ciphora
