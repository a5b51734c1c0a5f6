#include "Avx512Kernel.h"

#include <immintrin.h>

#include <algorithm>
#include <array>

#include "CipherText.h"
#include "KeyRuns.h"

namespace ciphora::avx512 {

#define CIPHORA_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

constexpr __mmask64 kGroupLanes = (__mmask64{1} << kGroupCodes) - 1;
constexpr __mmask64 kLineBytes = (__mmask64{1} << 62) - 1;
constexpr __mmask64 kLineDigits = (__mmask64{1} << 60) - 1;
constexpr __mmask64 kLineBreak = __mmask64{3} << 60;

struct Table256 {
    __m512i part[4];
};

CIPHORA_AVX512 Table256 LoadTable(const Byte* table) {
    return {{_mm512_loadu_si512(table), _mm512_loadu_si512(table + 64), _mm512_loadu_si512(table + 128),
             _mm512_loadu_si512(table + 192)}};
}

// 64 lookups in a 256-entry table: two 128-entry permutes, chosen by bit 7.
CIPHORA_AVX512 inline __m512i Lookup(const Table256& table, __m512i index) {
    const __m512i low = _mm512_permutex2var_epi8(table.part[0], index, table.part[1]);
    const __m512i high = _mm512_permutex2var_epi8(table.part[2], index, table.part[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

// The byte patterns that place 60 codes into three lines and take them out.
struct LineIndexes {
    // Per line: the digit's source, hundreds (0..63) or tens (64..127).
    std::array<std::array<Byte, 64>, 3> hundredsOrTens{};
    std::array<std::array<Byte, 64>, 3> ones{};
    // Per digit kind: the byte of line 0 or 1 (64 + ...) and of line 2.
    std::array<std::array<Byte, 64>, 3> fromLines01{};
    std::array<std::array<Byte, 64>, 3> fromLine2{};
    __mmask64 onesLanes = 0;

    LineIndexes() {
        for (int j = 0; j < 60; ++j)
            if (j % 3 == 2) onesLanes |= __mmask64{1} << j;
        for (int line = 0; line < 3; ++line)
            for (int j = 0; j < 64; ++j) {
                const int code = 20 * line + (j < 60 ? j / 3 : 0);
                hundredsOrTens[line][j] = static_cast<Byte>(j < 60 && j % 3 == 1 ? 64 + code : code);
                ones[line][j] = static_cast<Byte>(code);
            }
        for (int kind = 0; kind < 3; ++kind)
            for (int lane = 0; lane < 64; ++lane) {
                const int code = lane < 60 ? lane : 0;
                const int digit = 3 * (code % 20) + kind;
                fromLines01[kind][lane] = static_cast<Byte>(code < 20 ? digit : 64 + digit);
                fromLine2[kind][lane] = static_cast<Byte>(digit);
            }
    }
};

const LineIndexes& Indexes() {
    static const LineIndexes indexes;
    return indexes;
}

// Lane i holds i * factor (modulo 256), for small i.
CIPHORA_AVX512 __m512i Multiples(int factor) {
    alignas(64) std::array<Byte, 64> lanes;
    for (int i = 0; i < 64; ++i) lanes[i] = static_cast<Byte>(i * factor);
    return _mm512_load_si512(lanes.data());
}

// C1 for the 60 lanes of a group, and C2, which moves by one at the lane
// where position + 1 reaches the next multiple of 256.
struct GroupOffsets {
    __m512i c1;
    __m512i c2;
};

CIPHORA_AVX512 inline GroupOffsets Offsets(Byte key1, Byte key2, __m512i iota, std::uint64_t first) {
    const std::uint64_t position = first + 1;
    const __m512i c1 = _mm512_add_epi8(_mm512_set1_epi8(static_cast<char>(key1 + 1 + position)), iota);
    __m512i c2 = _mm512_set1_epi8(static_cast<char>(key2 + 1 + key_runs::C2Advances(position)));
    const std::uint64_t untilNext = key_runs::LeftWithC2(position);
    if (untilNext < kGroupCodes) {
        const __mmask64 later = kGroupLanes & ~((__mmask64{1} << untilNext) - 1);
        c2 = _mm512_mask_add_epi8(c2, later, c2, _mm512_set1_epi8(1));
    }
    return {c1, c2};
}

}  // namespace

bool Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

namespace {

CIPHORA_AVX512 void EncipherGroups(const EncipherRun& run, const Byte* plain, std::size_t groups, std::uint64_t first,
                                   Byte* out) {
    const Table256 stage0 = LoadTable(run.stage0);
    const Table256 stage1 = LoadTable(run.stage1);
    const Table256 hundreds = LoadTable(run.hundreds);
    const Table256 tens = LoadTable(run.tens);
    const Table256 ones = LoadTable(run.ones);
    const LineIndexes& indexes = Indexes();
    __m512i hundredsOrTens[3], onesIndex[3];
    for (int line = 0; line < 3; ++line) {
        hundredsOrTens[line] = _mm512_loadu_si512(indexes.hundredsOrTens[line].data());
        onesIndex[line] = _mm512_loadu_si512(indexes.ones[line].data());
    }
    const __m512i lineBreak = _mm512_set1_epi16(static_cast<short>(0x0A0D));
    const __m512i iota = Multiples(1);

    for (std::size_t group = 0; group < groups; ++group, first += kGroupCodes) {
        const GroupOffsets offsets = Offsets(run.key1, run.key2, iota, first);
        const __m512i a = _mm512_maskz_loadu_epi8(kGroupLanes, plain + group * kGroupCodes);
        __m512i v = Lookup(stage0, _mm512_add_epi8(a, offsets.c1));
        v = Lookup(stage1, _mm512_add_epi8(v, offsets.c2));
        const __m512i h = Lookup(hundreds, v);
        const __m512i t = Lookup(tens, v);
        const __m512i o = Lookup(ones, v);
        for (int line = 0; line < 3; ++line) {
            __m512i text = _mm512_permutex2var_epi8(h, hundredsOrTens[line], t);
            text = _mm512_mask_permutexvar_epi8(text, indexes.onesLanes, onesIndex[line], o);
            text = _mm512_mask_blend_epi8(kLineBreak, text, lineBreak);
            _mm512_mask_storeu_epi8(out, kLineBytes, text);
            out += 62;
        }
    }
}

// Stops at the first group that is not canonical, and before one whose
// vectors would read past `size`.
CIPHORA_AVX512 std::size_t DecipherGroups(const DecipherRun& run, const Byte* text, std::size_t size,
                                          std::size_t groups, std::uint64_t first, Byte* plain) {
    if (size < kGroupReadBytes) return 0;
    groups = std::min(groups, (size - kGroupReadBytes) / kGroupBytes + 1);
    const __m512i zero = _mm512_set1_epi8('0');
    const __m512i nine = _mm512_set1_epi8(9);
    const __m512i two = _mm512_set1_epi8(2);
    const __m512i fiftyFive = _mm512_set1_epi8(55);
    const __m512i lineBreak = _mm512_set1_epi16(static_cast<short>(0x0A0D));
    const __m512i timesTen = Multiples(10);
    const __m512i timesHundred = Multiples(100);
    const __m512i iota = Multiples(1);
    const LineIndexes& indexes = Indexes();
    __m512i fromLines01[3], fromLine2[3];
    for (int k = 0; k < 3; ++k) {
        fromLines01[k] = _mm512_loadu_si512(indexes.fromLines01[k].data());
        fromLine2[k] = _mm512_loadu_si512(indexes.fromLine2[k].data());
    }
    constexpr __mmask64 kLine2Lanes = kGroupLanes & ~((__mmask64{1} << 40) - 1);
    const Table256 inverseTail = LoadTable(run.inverseTail);
    const Table256 inverse1 = LoadTable(run.inverse1);
    const Table256 inverse0 = LoadTable(run.inverse0);

    std::size_t group = 0;
    for (; group < groups; ++group, text += kGroupBytes, plain += kGroupCodes, first += kGroupCodes) {
        __m512i digits[3];
        bool canonical = true;
        for (std::size_t line = 0; line < 3; ++line) {
            const __m512i bytes = _mm512_loadu_si512(text + 62 * line);
            digits[line] = _mm512_sub_epi8(bytes, zero);
            const __mmask64 isDigit = _mm512_cmple_epu8_mask(digits[line], nine);
            const __mmask64 isBreak = _mm512_cmpeq_epi8_mask(bytes, lineBreak);
            canonical &= (isDigit & kLineDigits) == kLineDigits && (isBreak & kLineBreak) == kLineBreak;
        }
        if (!canonical) break;
        __m512i kind[3];
        for (int k = 0; k < 3; ++k) {
            kind[k] = _mm512_permutex2var_epi8(digits[0], fromLines01[k], digits[1]);
            kind[k] = _mm512_mask_permutexvar_epi8(kind[k], kLine2Lanes, fromLine2[k], digits[2]);
        }
        // code = 100 h + 10 t + o, which must not exceed 255.
        const __m512i belowHundred =
            _mm512_add_epi8(_mm512_maskz_permutexvar_epi8(kGroupLanes, kind[1], timesTen), kind[2]);
        const __mmask64 tooBig =
            _mm512_cmpgt_epu8_mask(kind[0], two) |
            (_mm512_cmpeq_epi8_mask(kind[0], two) & _mm512_cmpgt_epu8_mask(belowHundred, fiftyFive));
        if ((tooBig & kGroupLanes) != 0) break;
        const __m512i code =
            _mm512_add_epi8(_mm512_maskz_permutexvar_epi8(kGroupLanes, kind[0], timesHundred), belowHundred);

        const GroupOffsets offsets = Offsets(run.key1, run.key2, iota, first);
        __m512i x = Lookup(inverseTail, code);
        x = _mm512_sub_epi8(Lookup(inverse1, x), offsets.c2);
        x = _mm512_sub_epi8(Lookup(inverse0, x), offsets.c1);
        _mm512_mask_storeu_epi8(plain, kGroupLanes, x);
    }
    return group;
}

}  // namespace

static_assert(kGroupCodes % kCodesPerLine == 0 && kStepCodesMultiple % kGroupCodes == 0, "a group is whole lines");
static_assert(kGroupBytes == SpanCipherSize(0, kGroupCodes), "a group's bytes are its lines'");
const VectorKernel kKernel{kGroupCodes, EncipherGroups, DecipherGroups};

}  // namespace ciphora::avx512
