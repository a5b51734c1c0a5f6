#include "CipherKernel.h"

#include <algorithm>
#include <cstring>

#include "Avx512Kernel.h"
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

// The number of positions from `position` on that share its C3..C5.
std::uint64_t RunOfTailRemaining(std::uint64_t position) {
    const std::uint64_t key = TailKey(position);
    const std::uint64_t nextStart = 256 * (256 * (key + 1) - 1) - 1;
    return nextStart - position;
}

bool IsDigit(Byte c) { return c >= '0' && c <= '9'; }

}  // namespace

KernelPath BestKernelPath() {
    static const KernelPath best = avx512::Available() ? KernelPath::Avx512 : KernelPath::Scalar;
    return best;
}

CipherKernel::CipherKernel(const SubstitutionTables& tables, const CipherKey& key, KernelPath path)
    : schedule_(key), key_(key), path_(path) {
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

CipherKernel::RunColumns CipherKernel::ColumnsOfRun(std::uint64_t position, Direction direction) const {
    const StageOffsets offsets = schedule_.At(position);
    RunColumns columns{};
    if (direction == Direction::Decipher) {
        columns.inverseTail = DecipherTail(offsets);
        return columns;
    }
    const Column tail = EncipherTail(offsets);
    for (int w = 0; w < 256; ++w) {
        columns.hundreds[w] = static_cast<Byte>('0' + tail[w] / 100);
        columns.tens[w] = static_cast<Byte>('0' + tail[w] / 10 % 10);
        columns.ones[w] = static_cast<Byte>('0' + tail[w] % 10);
    }
    return columns;
}

avx512::RunTables CipherKernel::VectorTables(const RunColumns& columns) const {
    return {encipher_[0].data(), encipher_[1].data(), columns.hundreds.data(), columns.tens.data(),
            columns.ones.data(), decipher_[0].data(), decipher_[1].data(),     columns.inverseTail.data(),
            key_.values[0],      key_.values[1]};
}

Byte* CipherKernel::Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const {
    if (path_ == KernelPath::Scalar) return EncipherScalar(plain, count, first, out);
    while (count > 0) {
        const std::uint64_t lineOffset = first % kCodesPerLine;
        const std::uint64_t fit = std::min<std::uint64_t>(count, RunOfTailRemaining(first + 1));
        const std::size_t groups = lineOffset == 0 ? static_cast<std::size_t>(fit / avx512::kGroupCodes) : 0;
        if (groups > 0) {
            const RunColumns columns = ColumnsOfRun(first + 1, Direction::Encipher);
            avx512::EncipherGroups(VectorTables(columns), plain, groups, first, out);
            const std::size_t done = groups * avx512::kGroupCodes;
            plain += done;
            count -= done;
            first += done;
            out += groups * avx512::kGroupBytes;
            continue;
        }
        // Up to the next line start, or a line across the end of a run.
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(count, kCodesPerLine - lineOffset));
        out = EncipherScalar(plain, step, first, out);
        plain += step;
        count -= step;
        first += step;
    }
    return out;
}

Byte* CipherKernel::EncipherScalar(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const {
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

bool CipherKernel::ParseCanonicalLine(const Byte* text, Byte* codes) {
    if (text[60] != '\r' || text[61] != '\n') return false;
    for (std::size_t i = 0; i < kCodesPerLine; ++i) {
        const Byte* code = text + 3 * i;
        if (!IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2])) return false;
        const int value = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
        if (value > 255) return false;
        codes[i] = static_cast<Byte>(value);
    }
    return true;
}

std::size_t CipherKernel::DecipherCanonicalLinesScalar(const Byte* text, std::size_t lines, std::uint64_t first,
                                                       Byte* plain) const {
    constexpr std::size_t kBatchLines = 256;
    std::array<Byte, kBatchLines * kCodesPerLine> codes;
    std::size_t done = 0;
    while (done < lines) {
        const std::size_t batch = std::min(kBatchLines, lines - done);
        std::size_t parsed = 0;
        while (parsed < batch &&
               ParseCanonicalLine(text + (done + parsed) * kLineLength, codes.data() + parsed * kCodesPerLine))
            ++parsed;
        Decipher(codes.data(), parsed * kCodesPerLine, first + done * kCodesPerLine, plain + done * kCodesPerLine);
        done += parsed;
        if (parsed < batch) break;
    }
    return done;
}

std::size_t CipherKernel::DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first,
                                                 std::uint64_t maxCodes, Byte* plain) const {
    std::size_t done = 0;
    for (;;) {
        const std::uint64_t codesLeft = maxCodes > done ? maxCodes - done : 0;
        if (path_ == KernelPath::Avx512 && size >= avx512::kGroupReadBytes) {
            const std::uint64_t fit = std::min(codesLeft, RunOfTailRemaining(first + done + 1));
            const std::size_t groups = static_cast<std::size_t>(std::min<std::uint64_t>(
                fit / avx512::kGroupCodes, (size - avx512::kGroupReadBytes) / avx512::kGroupBytes + 1));
            if (groups > 0) {
                const RunColumns columns = ColumnsOfRun(first + done + 1, Direction::Decipher);
                const std::size_t deciphered =
                    avx512::DecipherGroups(VectorTables(columns), text, groups, first + done, plain);
                text += deciphered * avx512::kGroupBytes;
                size -= deciphered * avx512::kGroupBytes;
                plain += deciphered * avx512::kGroupCodes;
                done += deciphered * avx512::kGroupCodes;
                if (deciphered == groups) continue;
            }
        }
        // Up to the next vector group, or to the end, line by line.
        std::size_t lines =
            static_cast<std::size_t>(std::min<std::uint64_t>(size / kLineLength, codesLeft / kCodesPerLine));
        if (path_ == KernelPath::Avx512) lines = std::min<std::size_t>(lines, 3);
        const std::size_t parsed = DecipherCanonicalLinesScalar(text, lines, first + done, plain);
        text += parsed * kLineLength;
        size -= parsed * kLineLength;
        plain += parsed * kCodesPerLine;
        done += parsed * kCodesPerLine;
        if (parsed == 0 || parsed < lines) return done;
    }
}

}  // namespace ciphora
