// The library's one-call functions on the kernel benchmarks' 16 MiB, into
// reused buffers: they should run at the kernel's speed (the best path).

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "ciphora/ciphora.h"

namespace {

constexpr std::size_t kPlainSize = 16u << 20;

const std::vector<char>& Plain() {
    static const std::vector<char> plain = [] {
        std::mt19937 random(1);
        std::vector<char> bytes(kPlainSize);
        for (char& b : bytes) b = static_cast<char>(' ' + random() % 95);
        return bytes;
    }();
    return plain;
}

ciphora_key Key() {
    ciphora_key key;
    ciphora_key_parse("117032209004188", &key);
    return key;
}

void BM_LibraryEncipher(benchmark::State& state) {
    const ciphora_key key = Key();
    const auto& plain = Plain();
    std::vector<char> out(ciphora_enciphered_size(plain.size()));
    std::size_t written = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ciphora_encipher(&key, plain.data(), plain.size(), out.data(), out.size(), &written));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

void BM_LibraryDecipher(benchmark::State& state) {
    const ciphora_key key = Key();
    const auto& plain = Plain();
    std::vector<char> cipher(ciphora_enciphered_size(plain.size()));
    std::size_t size = 0;
    ciphora_encipher(&key, plain.data(), plain.size(), cipher.data(), cipher.size(), &size);
    std::vector<char> back(ciphora_deciphered_bound(size));
    std::size_t written = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ciphora_decipher(&key, cipher.data(), size, back.data(), back.size(), &written, nullptr));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK(BM_LibraryEncipher)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryDecipher)->Unit(benchmark::kMillisecond);
