#include "CipherKernel.h"

#include <algorithm>
#include <cstring>

#include "CipherText.h"

namespace ciphora {

namespace {

struct DigitTable {
    std::array<std::array<char, 3>, 256> codes;
    DigitTable() {
        for (std::int32_t v = 0; v < 256; ++v) {
            std::int32_t n = v;
            const std::string text = ZeroPad3(n);
            std::copy(text.begin(), text.end(), codes[v].begin());
        }
    }
};

const DigitTable& Digits() {
    static const DigitTable table;
    return table;
}

// Positions whose counters C2..C5 agree: C2 moves when position + 1 is a
// multiple of 256, and the later counters only ever move with it.
constexpr std::uint64_t kRunLength = 256;

// The number of positions from 1-based `position` to the end of its run.
std::uint64_t RunRemaining(std::uint64_t position) { return kRunLength - ((position + 1) % kRunLength); }

// The advances of C3, which decide C3..C5: they change once in 65536 positions.
std::uint64_t TailKey(std::uint64_t position) { return (((position + 1) >> 8) + 1) >> 8; }

}  // namespace

CipherKernel::CipherKernel(const SubstitutionTables& tables, const CipherKey& key) : schedule_(key) {
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value) {
            encipher_[stage][value] = tables.lngKE(value, stage);
            decipher_[stage][value] = tables.lngKD(value, stage);
        }
}

CipherKernel::Column CipherKernel::EncipherTail(const StageOffsets& offsets) const {
    Column tail;
    for (int w = 0; w < 256; ++w) {
        Byte v = encipher_[2][static_cast<Byte>(w + offsets.values[2])];
        v = encipher_[3][static_cast<Byte>(v + offsets.values[3])];
        tail[w] = encipher_[4][static_cast<Byte>(v + offsets.values[4])];
    }
    return tail;
}

CipherKernel::Column CipherKernel::DecipherTail(const StageOffsets& offsets) const {
    Column tail;
    for (int v = 0; v < 256; ++v) {
        Byte x = static_cast<Byte>(decipher_[4][v] - offsets.values[4]);
        x = static_cast<Byte>(decipher_[3][x] - offsets.values[3]);
        tail[v] = static_cast<Byte>(decipher_[2][x] - offsets.values[2]);
    }
    return tail;
}

Byte* CipherKernel::Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const {
    const auto& digits = Digits().codes;
    std::uint64_t position = first + 1;
    std::uint64_t untilLineEnd = kCodesPerLine - first % kCodesPerLine;
    Column tail{};
    std::uint64_t tailKey = ~std::uint64_t{0};
    while (count > 0) {
        const StageOffsets offsets = schedule_.At(position);
        if (TailKey(position) != tailKey) {
            tail = EncipherTail(offsets);
            tailKey = TailKey(position);
        }
        const std::size_t run = static_cast<std::size_t>(std::min<std::uint64_t>(count, RunRemaining(position)));
        Byte c1 = offsets.values[0];
        const Byte c2 = offsets.values[1];
        for (std::size_t i = 0; i < run; ++i, ++c1) {
            Byte v = encipher_[0][static_cast<Byte>(plain[i] + c1)];
            v = tail[encipher_[1][static_cast<Byte>(v + c2)]];
            std::memcpy(out, digits[v].data(), 3);
            out += 3;
            if (--untilLineEnd == 0) {
                *out++ = '\r';
                *out++ = '\n';
                untilLineEnd = kCodesPerLine;
            }
        }
        plain += run;
        count -= run;
        position += run;
    }
    return out;
}

void CipherKernel::Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain) const {
    std::uint64_t position = first + 1;
    Column tail{};
    std::uint64_t tailKey = ~std::uint64_t{0};
    while (count > 0) {
        const StageOffsets offsets = schedule_.At(position);
        if (TailKey(position) != tailKey) {
            tail = DecipherTail(offsets);
            tailKey = TailKey(position);
        }
        const std::size_t run = static_cast<std::size_t>(std::min<std::uint64_t>(count, RunRemaining(position)));
        Byte c1 = offsets.values[0];
        const Byte c2 = offsets.values[1];
        for (std::size_t i = 0; i < run; ++i, ++c1) {
            const Byte x = static_cast<Byte>(decipher_[1][tail[codes[i]]] - c2);
            plain[i] = static_cast<Byte>(decipher_[0][x] - c1);
        }
        codes += run;
        plain += run;
        count -= run;
        position += run;
    }
}

}  // namespace ciphora
