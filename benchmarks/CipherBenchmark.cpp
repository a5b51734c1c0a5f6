// Throughput of the string operations on 64 MiB of text.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "cipher/clsEncrypt.h"

namespace {

constexpr std::size_t kTextSize = 64u << 20;
constexpr const char* kKey = "117032209004188";

const std::string& PlainText() {
    static const std::string text = [] {
        std::mt19937 random(1);
        std::string plain(kTextSize, '\0');
        for (char& c : plain) c = static_cast<char>(' ' + random() % 95);
        return plain;
    }();
    return text;
}

void BM_EncryptString(benchmark::State& state) {
    ciphora::clsEncrypt cipher;
    cipher.KKey(kKey);
    const std::string& plain = PlainText();
    for (auto _ : state) benchmark::DoNotOptimize(cipher.EncryptString(plain));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

void BM_DeEncryptString(benchmark::State& state) {
    ciphora::clsEncrypt cipher;
    cipher.KKey(kKey);
    const std::string cipherText = cipher.EncryptString(PlainText());
    for (auto _ : state) benchmark::DoNotOptimize(cipher.DeEncryptString(cipherText));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * cipherText.size()));
}

}  // namespace

BENCHMARK(BM_EncryptString)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeEncryptString)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

// Text that is never canonical but looks close: line breaks alone.
void BM_DeEncryptStringLineBreaksOnly(benchmark::State& state) {
    ciphora::clsEncrypt cipher;
    cipher.KKey(kKey);
    std::string text;
    for (int i = 0; i < (4 << 20); ++i) text += "\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(cipher.DeEncryptString(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(BM_DeEncryptStringLineBreaksOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
