// Throughput of the cipher kernels on one thread, into reused buffers, for
// every path this processor has.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"

namespace {

using ciphora::Byte;
using ciphora::KernelPath;

constexpr std::size_t kPlainSize = 16u << 20;

const std::vector<Byte>& Plain() {
    static const std::vector<Byte> plain = [] {
        std::mt19937 random(1);
        std::vector<Byte> bytes(kPlainSize);
        for (Byte& b : bytes) b = static_cast<Byte>(' ' + random() % 95);
        return bytes;
    }();
    return plain;
}

ciphora::CipherKernel Kernel(KernelPath path) {
    return ciphora::CipherKernel(ciphora::DefaultSubstitutionTables(), {{117, 32, 209, 4, 188}}, path);
}

bool Skip(benchmark::State& state, KernelPath path) {
    if (ciphora::IsAvailable(path)) return false;
    state.SkipWithError("this processor does not have this path");
    return true;
}

void BM_Encipher(benchmark::State& state, KernelPath path) {
    if (Skip(state, path)) return;
    const auto kernel = Kernel(path);
    const auto& plain = Plain();
    std::vector<Byte> out(ciphora::CipherTextSize(plain.size()) + 64);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kernel.Encipher(plain.data(), plain.size(), 0, out.data()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

void BM_DecipherCanonical(benchmark::State& state, KernelPath path) {
    if (Skip(state, path)) return;
    const auto kernel = Kernel(path);
    const auto& plain = Plain();
    std::vector<Byte> cipher(ciphora::CipherTextSize(plain.size()) + 64);
    kernel.Encipher(plain.data(), plain.size(), 0, cipher.data());
    const std::size_t size = ciphora::CipherTextSize(plain.size());
    std::vector<Byte> back(plain.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(kernel.DecipherCanonicalLines(cipher.data(), size, 0, size / 3, back.data()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Encipher, scalar, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encipher, avx2, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encipher, avx512, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecipherCanonical, scalar, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecipherCanonical, avx2, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecipherCanonical, avx512, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
