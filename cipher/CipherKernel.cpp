#include "CipherKernel.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>

#include "CipherText.h"
#include "KeyRuns.h"

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

bool IsDigit(Byte c) { return c >= '0' && c <= '9'; }

}  // namespace

CipherKernel::CipherKernel(const SubstitutionTables& tables, const CipherKey& key, KernelPath path)
    : schedule_(key), key_(key), vector_(Describe(path).vector) {
    if (!IsAvailable(path))
        throw std::invalid_argument("this processor has no cipher kernel path " + std::string(KernelPathName(path)));
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

CipherKernel::EncipherColumns CipherKernel::EncipherColumnsOfRun(std::uint64_t position) const {
    const Column tail = EncipherTail(schedule_.At(position));
    EncipherColumns columns;
    for (int v = 0; v < 256; ++v) {
        columns.fromStage1[v] = tail[encipher_[1][v]];
        columns.hundreds[v] = static_cast<Byte>('0' + tail[v] / 100);
        columns.tens[v] = static_cast<Byte>('0' + tail[v] / 10 % 10);
        columns.ones[v] = static_cast<Byte>('0' + tail[v] % 10);
    }
    return columns;
}

const CipherKernel::DecipherTables& CipherKernel::DecipherTablesOfRun(std::uint64_t position,
                                                                      DecipherTables& tables) const {
    const std::uint64_t run = key_runs::C3Advances(position);
    if (tables.run_ == run) return tables;
    tables.inverseTail_ = DecipherTail(schedule_.At(position));
    for (int code = 0; code < 256; ++code) tables.toStage1_[code] = decipher_[1][tables.inverseTail_[code]];
    tables.run_ = run;
    return tables;
}

void CipherKernel::EncipherSteps(const Byte* plain, std::size_t steps, std::uint64_t first, Byte* out) const {
    assert(first % kCodesPerLine == 0 && "steps start at a line start");
    assert(steps * vector_->stepCodes <= key_runs::LeftWithTail(first + 1) && "steps lie in one run of C3..C5");
    const EncipherColumns columns = EncipherColumnsOfRun(first + 1);
    const EncipherRun run{encipher_[0].data(),     encipher_[1].data(), columns.fromStage1.data(),
                          columns.hundreds.data(), columns.tens.data(), columns.ones.data(),
                          key_.values[0],          key_.values[1]};
    vector_->encipherSteps(run, plain, steps, first, out);
}

std::size_t CipherKernel::DecipherSteps(const Byte* text, std::size_t size, std::size_t steps, std::uint64_t first,
                                        Byte* plain, DecipherTables& tables) const {
    assert(steps * vector_->stepCodes <= key_runs::LeftWithTail(first + 1) && "steps lie in one run of C3..C5");
    // A step needs at least its lines; the path may want more to read.
    if (size < SpanCipherSize(0, vector_->stepCodes)) return 0;
    const DecipherTables& folded = DecipherTablesOfRun(first + 1, tables);
    const DecipherRun run{decipher_[0].data(),     decipher_[1].data(), folded.inverseTail_.data(),
                          folded.toStage1_.data(), key_.values[0],      key_.values[1]};
    return vector_->decipherSteps(run, text, size, steps, first, plain);
}

Byte* CipherKernel::Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const {
    if (vector_ == nullptr) return EncipherScalar(plain, count, first, out);
    const std::size_t step = vector_->stepCodes;
    while (count > 0) {
        const bool atLineStart = first % kCodesPerLine == 0;
        const std::uint64_t inRun = std::min<std::uint64_t>(count, key_runs::LeftWithTail(first + 1));
        const std::size_t steps = atLineStart ? static_cast<std::size_t>(inRun / step) : 0;
        if (steps > 0) {
            EncipherSteps(plain, steps, first, out);
            const std::size_t done = steps * step;
            plain += done;
            count -= done;
            first += done;
            out += SpanCipherSize(0, done);
            continue;
        }
        // Up to the next line start, or a line across the end of a run.
        const std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, kCodesPerLine - first % kCodesPerLine));
        out = EncipherScalar(plain, part, first, out);
        plain += part;
        count -= part;
        first += part;
    }
    return out;
}

Byte* CipherKernel::EncipherScalar(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const {
    const auto& digits = Digits().codes;
    std::uint64_t position = first + 1;
    std::uint64_t untilLineEnd = kCodesPerLine - first % kCodesPerLine;
    Column tail{};
    std::uint64_t tailRun = ~std::uint64_t{0};
    while (count > 0) {
        const StageOffsets offsets = schedule_.At(position);
        if (key_runs::C3Advances(position) != tailRun) {
            tail = EncipherTail(offsets);
            tailRun = key_runs::C3Advances(position);
        }
        const std::size_t run =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, key_runs::LeftWithC2(position)));
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
    DecipherTables tables;
    Decipher(codes, count, first, plain, tables);
}

void CipherKernel::Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain,
                            DecipherTables& tables) const {
    std::uint64_t position = first + 1;
    while (count > 0) {
        const StageOffsets offsets = schedule_.At(position);
        const Column& tail = DecipherTablesOfRun(position, tables).inverseTail_;
        const std::size_t run =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, key_runs::LeftWithC2(position)));
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
                                                       Byte* plain, DecipherTables& tables) const {
    constexpr std::size_t kBatchLines = 256;
    std::array<Byte, kBatchLines * kCodesPerLine> codes;
    std::size_t done = 0;
    while (done < lines) {
        const std::size_t batch = std::min(kBatchLines, lines - done);
        std::size_t parsed = 0;
        while (parsed < batch &&
               ParseCanonicalLine(text + (done + parsed) * kLineLength, codes.data() + parsed * kCodesPerLine))
            ++parsed;
        Decipher(codes.data(), parsed * kCodesPerLine, first + done * kCodesPerLine, plain + done * kCodesPerLine,
                 tables);
        done += parsed;
        if (parsed < batch) break;
    }
    return done;
}

std::size_t CipherKernel::DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first,
                                                 std::uint64_t maxCodes, Byte* plain) const {
    DecipherTables tables;
    return DecipherCanonicalLines(text, size, first, maxCodes, plain, tables);
}

std::size_t CipherKernel::DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first,
                                                 std::uint64_t maxCodes, Byte* plain, DecipherTables& tables) const {
    const std::size_t step = vector_ == nullptr ? 0 : vector_->stepCodes;
    std::size_t done = 0;
    for (;;) {
        const std::uint64_t codesLeft = maxCodes > done ? maxCodes - done : 0;
        if (step > 0) {
            const std::uint64_t inRun = std::min(codesLeft, key_runs::LeftWithTail(first + done + 1));
            const std::size_t steps = static_cast<std::size_t>(inRun / step);
            if (steps > 0) {
                const std::size_t deciphered = DecipherSteps(text, size, steps, first + done, plain, tables);
                const std::size_t codes = deciphered * step;
                text += SpanCipherSize(0, codes);
                size -= SpanCipherSize(0, codes);
                plain += codes;
                done += codes;
                if (deciphered == steps) continue;
            }
        }
        // Up to the next vector step (a line across the end of a run, or the
        // line that stopped the vectors), or to the end, line by line.
        std::size_t lines =
            static_cast<std::size_t>(std::min<std::uint64_t>(size / kLineLength, codesLeft / kCodesPerLine));
        if (step > 0) lines = std::min(lines, step / kCodesPerLine);
        const std::size_t parsed = DecipherCanonicalLinesScalar(text, lines, first + done, plain, tables);
        text += parsed * kLineLength;
        size -= parsed * kLineLength;
        plain += parsed * kCodesPerLine;
        done += parsed * kCodesPerLine;
        if (parsed == 0 || parsed < lines) return done;
    }
}

}  // namespace ciphora
