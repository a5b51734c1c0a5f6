#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace ciphora {

// How the kernel computes: byte by byte everywhere, with AVX2 (scalar
// lookups, vector parsing and formatting), or with AVX-512 byte permutes.
// Every path gives the same bytes.
enum class KernelPath { Scalar, Avx2, Avx512 };

// The environment variable that forces a path, for tests and benchmarks:
// "scalar", "avx2" or "avx512". A name this processor has no path for, or
// does not know, is ignored.
inline constexpr const char* kKernelPathVariable = "CIPHORA_KERNEL";

bool IsAvailable(KernelPath path);

// The paths this processor has, slowest first.
std::vector<KernelPath> AvailableKernelPaths();

// The fastest path this processor has.
KernelPath BestKernelPath();

// The path named by CIPHORA_KERNEL when this processor has it, else the
// fastest one.
KernelPath DefaultKernelPath();

std::string_view KernelPathName(KernelPath path);
std::optional<KernelPath> KernelPathNamed(std::string_view name);

}  // namespace ciphora
