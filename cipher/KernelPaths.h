#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "VectorKernel.h"

namespace ciphora {

// How the kernel computes: byte by byte everywhere; on x86-64 with AVX2
// (lookups by shuffles, vector parsing and formatting) or with AVX-512 byte
// permutes; on AArch64 with NEON table lookups. Every path gives the same
// bytes.
enum class KernelPath { Scalar, Avx2, Avx512, Neon };

// What a path is: its name, whether this processor can run it, and its
// vector steps (none for the scalar path). The paths of other architectures
// are described too, as never available, so that their names are known.
struct KernelPathDescription {
    KernelPath path;
    std::string_view name;
    bool (*available)();
    const VectorKernel* vector;
};

const KernelPathDescription& Describe(KernelPath path);

// The environment variable that forces a path, for tests and benchmarks:
// "scalar", "avx2", "avx512" or "neon". A name this processor has no path
// for, or does not know, is ignored.
inline constexpr const char* kKernelPathVariable = "CIPHORA_KERNEL";

bool IsAvailable(KernelPath path);

// The paths this processor has, slowest first.
std::vector<KernelPath> AvailableKernelPaths();

// The fastest path this processor has.
KernelPath BestKernelPath();

// The path named by CIPHORA_KERNEL when this processor has it, else the
// fastest one; chosen once, at the first call.
KernelPath DefaultKernelPath();

std::string_view KernelPathName(KernelPath path);
std::optional<KernelPath> KernelPathNamed(std::string_view name);

}  // namespace ciphora
