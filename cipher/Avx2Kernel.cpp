#include "Avx2Kernel.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "CipherText.h"
#include "KeyRuns.h"

namespace ciphora::avx2 {

#define CIPHORA_AVX2 __attribute__((target("avx2")))

namespace {

// Lines are taken 16 at a time: 320 codes, ten vectors. All the codes of a
// batch are stored before the first is loaded again, so that no load waits
// for the bytes just stored.
//
// A batch passes through its two lookups in two loops, the second taking
// two vectors at a time: the stages of one vector depend on each other from
// start to end, and the processor can overlap only so much of that chain
// with the next vector's. A pair may reach past the codes of a short batch:
// the bytes there hold earlier values, never indeterminate ones, and what
// comes of them is not written out.
constexpr std::size_t kBatchLines = 16;
constexpr std::size_t kBatchCodes = kBatchLines * kCodesPerLine;
constexpr std::size_t kPairCodes = 64;

// A line is written as two overlapping vectors: bytes 0..31 and 30..61. The
// first takes codes 0..10, the second codes 10..19 and the line break; each
// vector half (16 bytes) is filled from one copy of 16 codes: codes 0..15 for
// the first vector, codes 4..19 for the second.
constexpr std::size_t kSecondVector = 30;
constexpr std::size_t kSecondCodes = 4;

// Per output byte of a vector, the code (within its 16) whose digit of the
// kind `kind` (0 hundreds, 1 tens, 2 ones) goes there, or 0x80 for none.
std::array<Byte, 32> DigitSources(std::size_t lineStart, std::size_t firstCode, std::size_t kind) {
    std::array<Byte, 32> sources{};
    for (std::size_t i = 0; i < 32; ++i) {
        const std::size_t byte = lineStart + i;
        const bool isDigit = byte < kDigitsPerCode * kCodesPerLine && byte % kDigitsPerCode == kind;
        sources[i] = isDigit ? static_cast<Byte>(byte / kDigitsPerCode - firstCode) : 0x80;
    }
    return sources;
}

// The bytes that every line has in a vector: '0' under every digit (the
// digits are or-ed in) and the line break.
std::array<Byte, 32> FixedBytes(std::size_t lineStart) {
    std::array<Byte, 32> bytes{};
    for (std::size_t i = 0; i < 32; ++i) {
        const std::size_t byte = lineStart + i;
        bytes[i] = byte < 60 ? '0' : byte == 60 ? '\r' : '\n';
    }
    return bytes;
}

struct LinePatterns {
    std::array<std::array<Byte, 32>, 3> first, second;
    std::array<Byte, 32> firstFixed = FixedBytes(0), secondFixed = FixedBytes(kSecondVector);
    LinePatterns() {
        for (std::size_t kind = 0; kind < 3; ++kind) {
            first[kind] = DigitSources(0, 0, kind);
            second[kind] = DigitSources(kSecondVector, kSecondCodes, kind);
        }
    }
};

const LinePatterns& Patterns() {
    static const LinePatterns patterns;
    return patterns;
}

CIPHORA_AVX2 inline __m256i Load(const std::array<Byte, 32>& bytes) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data()));
}

// The three decimal digits of 16-bit values up to 255: v / 100 is
// (v * 656) >> 16 and r / 10 is (r * 6554) >> 16 in that range.
struct Digits {
    __m256i hundreds, tens, ones;
};

CIPHORA_AVX2 inline Digits DigitsOf(__m256i values) {
    const __m256i hundreds = _mm256_mulhi_epu16(values, _mm256_set1_epi16(656));
    const __m256i belowHundred = _mm256_sub_epi16(values, _mm256_mullo_epi16(hundreds, _mm256_set1_epi16(100)));
    const __m256i tens = _mm256_mulhi_epu16(belowHundred, _mm256_set1_epi16(6554));
    const __m256i ones = _mm256_sub_epi16(belowHundred, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10)));
    return {hundreds, tens, ones};
}

// The patterns of one vector of a line, loaded once and kept in registers
// while lines are written: stores to the text could otherwise alias them.
struct VectorPattern {
    __m256i sources[3];
    __m256i fixed;
};

struct LineFormat {
    VectorPattern first, second;
};

CIPHORA_AVX2 inline VectorPattern Loaded(const std::array<std::array<Byte, 32>, 3>& sources,
                                         const std::array<Byte, 32>& fixed) {
    return {{Load(sources[0]), Load(sources[1]), Load(sources[2])}, Load(fixed)};
}

CIPHORA_AVX2 inline LineFormat LoadedLineFormat() {
    const LinePatterns& patterns = Patterns();
    return {Loaded(patterns.first, patterns.firstFixed), Loaded(patterns.second, patterns.secondFixed)};
}

// Shuffles the digits of one copy of 16 codes (in both vector halves) into
// their bytes and ors in the fixed ones.
CIPHORA_AVX2 inline __m256i Place(const Digits& digits, const VectorPattern& pattern) {
    const __m256i h = _mm256_shuffle_epi8(digits.hundreds, pattern.sources[0]);
    const __m256i t = _mm256_shuffle_epi8(digits.tens, pattern.sources[1]);
    const __m256i o = _mm256_shuffle_epi8(digits.ones, pattern.sources[2]);
    return _mm256_or_si256(_mm256_or_si256(h, t), _mm256_or_si256(o, pattern.fixed));
}

// The digits of a batch of codes, one array per kind.
struct DigitColumns {
    alignas(32) Byte hundreds[kBatchCodes];
    alignas(32) Byte tens[kBatchCodes];
    alignas(32) Byte ones[kBatchCodes];
};

// Stores the digits of the 32 codes at `lane` of a batch.
CIPHORA_AVX2 inline void StoreDigits(__m256i codes, DigitColumns& columns, std::size_t lane) {
    const __m256i zero = _mm256_setzero_si256();
    // Unpacking and packing again within each half keeps the codes in order.
    const Digits low = DigitsOf(_mm256_unpacklo_epi8(codes, zero));
    const Digits high = DigitsOf(_mm256_unpackhi_epi8(codes, zero));
    _mm256_store_si256(reinterpret_cast<__m256i*>(columns.hundreds + lane),
                       _mm256_packus_epi16(low.hundreds, high.hundreds));
    _mm256_store_si256(reinterpret_cast<__m256i*>(columns.tens + lane), _mm256_packus_epi16(low.tens, high.tens));
    _mm256_store_si256(reinterpret_cast<__m256i*>(columns.ones + lane), _mm256_packus_epi16(low.ones, high.ones));
}

// 16 digits of a kind from `at`, in both halves of a vector.
CIPHORA_AVX2 inline __m256i SixteenInBoth(const Byte* at) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
}

CIPHORA_AVX2 inline Digits SixteenCodes(const DigitColumns& columns, std::size_t code) {
    return {SixteenInBoth(columns.hundreds + code), SixteenInBoth(columns.tens + code),
            SixteenInBoth(columns.ones + code)};
}

// Writes the 62 bytes of the line whose 20 codes start at `code`.
CIPHORA_AVX2 inline void FormatLine(const LineFormat& format, const DigitColumns& columns, std::size_t code,
                                    Byte* out) {
    const __m256i first = Place(SixteenCodes(columns, code), format.first);
    const __m256i second = Place(SixteenCodes(columns, code + kSecondCodes), format.second);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), first);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + kSecondVector), second);
}

// A line is read as four pieces of five codes (15 bytes each), two pieces to
// a vector: codes 0..4 and 10..14 in one, 5..9 and 15..19 in the other, so
// that packing the two vectors puts codes 0..9 in the lower half and 10..19
// in the upper half.
constexpr std::size_t kPieceBytes = 15;

CIPHORA_AVX2 inline __m256i LoadPieces(const Byte* text, std::size_t low, std::size_t high) {
    return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(text + high * kPieceBytes),
                               reinterpret_cast<const __m128i*>(text + low * kPieceBytes));
}

// Bytes 0..14 of each half are the digits of a piece.
constexpr std::uint32_t kPieceDigits = 0x7FFF7FFF;

// The five codes of each half's piece as 16-bit values in its lanes 0..4,
// from digit values 0..9.
CIPHORA_AVX2 inline __m256i PieceCodes(__m256i digits) {
    const __m256i hundredsAndTens = _mm256_setr_epi8(0, 1, 3, 4, 6, 7, 9, 10, 12, 13, -1, -1, -1, -1, -1, -1,  //
                                                     0, 1, 3, 4, 6, 7, 9, 10, 12, 13, -1, -1, -1, -1, -1, -1);
    const __m256i ones = _mm256_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1,  //
                                          2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1);
    const __m256i weights = _mm256_set1_epi16(static_cast<short>(10 << 8 | 100));
    const __m256i upper = _mm256_maddubs_epi16(_mm256_shuffle_epi8(digits, hundredsAndTens), weights);
    return _mm256_add_epi16(upper, _mm256_shuffle_epi8(digits, ones));
}

// Whether all of `digits` (already less '0') are below 10 where `lanes` says.
CIPHORA_AVX2 inline bool AreDigits(__m256i digits, std::uint32_t lanes) {
    const __m256i belowTen = _mm256_cmpeq_epi8(_mm256_min_epu8(digits, _mm256_set1_epi8(9)), digits);
    return (static_cast<std::uint32_t>(_mm256_movemask_epi8(belowTen)) & lanes) == lanes;
}

// Codes 0..4 of each half: lanes 0..4 of its 16-bit values.
constexpr std::uint32_t kPieceCodeBytes = 0x03FF03FF;

// A 256-entry table as 16 rows of 16 entries, each row in both halves of a
// vector. A lookup shuffles every row by the low four bits of the index. A
// shuffle gives zero where bit 7 of its index is set, which tells the two
// halves of the table apart: rows 0..7 see the index as it is, rows 8..15
// with bit 7 flipped. Each half then finds its row in its own way, so that
// the work spreads over the vector units: shuffles and blends share two of
// them, additions and exclusive ors have four.
// - Rows 0..7: blends keep, level by level, the row that bits 4, 5 and 6 of
//   the index name.
// - Rows 8..15: row 15 is held as it is and row k below it as row k xor row
//   k + 1. Row k is shuffled by the index plus 16 * (15 - k), whose bit 7 is
//   clear exactly when k is at or above the index's own row, so the
//   exclusive or of the shuffles leaves the index's row.
struct NibbleRows {
    __m256i row[16];
};

constexpr std::size_t kFirstUpperRow = 8;
constexpr std::size_t kLastRow = 15;

CIPHORA_AVX2 inline NibbleRows RowsOf(const Byte* table) {
    NibbleRows rows;
    for (std::size_t k = 0; k <= kLastRow; ++k) {
        alignas(16) Byte held[16];
        const bool difference = k >= kFirstUpperRow && k < kLastRow;
        for (std::size_t l = 0; l < 16; ++l)
            held[l] = static_cast<Byte>(table[16 * k + l] ^ (difference ? table[16 * (k + 1) + l] : 0));
        rows.row[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(held)));
    }
    return rows;
}

// The entries of rows 0..7 for an index below 128 (zero for the others).
CIPHORA_AVX2 inline __m256i LowerRows(const NibbleRows& table, __m256i index) {
    // Blends look at bit 7: doubling moves bits 6, 5 and 4 there in turn.
    const __m256i bit6 = _mm256_add_epi8(index, index);
    const __m256i bit5 = _mm256_add_epi8(bit6, bit6);
    const __m256i bit4 = _mm256_add_epi8(bit5, bit5);
    __m256i pairs[4];
    for (std::size_t k = 0; k < 4; ++k)
        pairs[k] = _mm256_blendv_epi8(_mm256_shuffle_epi8(table.row[2 * k], index),
                                      _mm256_shuffle_epi8(table.row[2 * k + 1], index), bit4);
    const __m256i low = _mm256_blendv_epi8(pairs[0], pairs[1], bit5);
    const __m256i high = _mm256_blendv_epi8(pairs[2], pairs[3], bit5);
    return _mm256_blendv_epi8(low, high, bit6);
}

// The entries of rows 8..15 for an index of 128 or more, given with bit 7
// flipped (other lanes hold no meaning).
CIPHORA_AVX2 inline __m256i UpperRows(const NibbleRows& table, __m256i flipped) {
    const __m256i nextRow = _mm256_set1_epi8(16);
    __m256i index = flipped;
    __m256i entry = _mm256_shuffle_epi8(table.row[kLastRow], index);
    for (std::size_t k = kLastRow; k-- > kFirstUpperRow;) {
        index = _mm256_add_epi8(index, nextRow);
        entry = _mm256_xor_si256(entry, _mm256_shuffle_epi8(table.row[k], index));
    }
    return entry;
}

CIPHORA_AVX2 inline __m256i Lookup(const NibbleRows& table, __m256i index) {
    const __m256i flipped = _mm256_xor_si256(index, _mm256_set1_epi8(static_cast<char>(0x80)));
    return _mm256_blendv_epi8(LowerRows(table, index), UpperRows(table, flipped), index);
}

// C1 and C2 for 32 consecutive characters from the 0-based index `first`;
// C2 moves by one at the lane where position + 1 reaches a multiple of 256.
struct LaneOffsets {
    __m256i c1, c2;
};

CIPHORA_AVX2 inline LaneOffsets OffsetsOfLanes(Byte key1, Byte key2, std::uint64_t first) {
    const __m256i iota = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                          22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    const std::uint64_t position = first + 1;
    const __m256i c1 = _mm256_add_epi8(_mm256_set1_epi8(static_cast<char>(key1 + 1 + position)), iota);
    __m256i c2 = _mm256_set1_epi8(static_cast<char>(key2 + 1 + key_runs::C2Advances(position)));
    const std::uint64_t sameC2 = key_runs::LeftWithC2(position);
    if (sameC2 < 32) {
        const __m256i later = _mm256_cmpgt_epi8(iota, _mm256_set1_epi8(static_cast<char>(sameC2 - 1)));
        c2 = _mm256_sub_epi8(c2, later);
    }
    return {c1, c2};
}

}  // namespace

bool Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

namespace {

// Bytes that reading a line writes past its 20 codes; the next line's codes
// overwrite them.
constexpr std::size_t kParseSpill = 6;

// A line read as if it were canonical, with what tells whether it is.
struct LineRead {
    __m256i largestDigit;  // per byte, of the digit values of both vectors
    __m256i largestCode;   // per 16-bit lane, of the codes of both vectors
    __m256i codes;         // codes 0..9 in the lower half, 10..19 in the upper
};

CIPHORA_AVX2 inline LineRead ReadLine(const Byte* text) {
    const __m256i zero = _mm256_set1_epi8('0');
    const __m256i digitsA = _mm256_sub_epi8(LoadPieces(text, 0, 2), zero);
    const __m256i digitsB = _mm256_sub_epi8(LoadPieces(text, 1, 3), zero);
    const __m256i codesA = PieceCodes(digitsA);
    const __m256i codesB = PieceCodes(digitsB);
    // Per half: A's five codes in bytes 0..4, B's in bytes 8..12.
    const __m256i packed = _mm256_packus_epi16(codesA, codesB);
    const __m256i inOrder =
        _mm256_shuffle_epi8(packed, _mm256_setr_epi8(0, 1, 2, 3, 4, 8, 9, 10, 11, 12, -1, -1, -1, -1, -1, -1,  //
                                                     0, 1, 2, 3, 4, 8, 9, 10, 11, 12, -1, -1, -1, -1, -1, -1));
    return {_mm256_max_epu8(digitsA, digitsB), _mm256_max_epu16(codesA, codesB), inOrder};
}

// Whether the bytes of a line's break differ from CR LF: zero when they agree.
inline std::uint16_t BreakDifference(const Byte* text) {
    constexpr std::uint16_t kCrLf = '\r' | '\n' << 8;  // as x86 loads it
    std::uint16_t lineBreak;
    std::memcpy(&lineBreak, text + kLineLength - 2, sizeof lineBreak);
    return lineBreak ^ kCrLf;
}

CIPHORA_AVX2 inline bool AllFit(std::uint16_t breakDifference, __m256i largestDigit, __m256i largestCode) {
    const __m256i tooBig = _mm256_cmpgt_epi16(largestCode, _mm256_set1_epi16(255));
    return breakDifference == 0 && AreDigits(largestDigit, kPieceDigits) &&
           (static_cast<std::uint32_t>(_mm256_movemask_epi8(tooBig)) & kPieceCodeBytes) == 0;
}

// Writes the 20 codes and kParseSpill bytes more.
CIPHORA_AVX2 inline void StoreCodes(__m256i codes, Byte* at) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(codes));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 10), _mm256_extracti128_si256(codes, 1));
}

// The 20 codes of the line at `text` into `codes`, which has room for
// kParseSpill bytes more; false, with nothing written, where the line is not
// canonical.
CIPHORA_AVX2 inline bool ParseLineInto(const Byte* text, Byte* codes) {
    const LineRead line = ReadLine(text);
    if (!AllFit(BreakDifference(text), line.largestDigit, line.largestCode)) return false;
    StoreCodes(line.codes, codes);
    return true;
}

// The codes of `lines` lines into `codes` (with room for kParseSpill bytes
// more); returns how many lines from the first are canonical, whose codes
// are then in place. The lines are checked together, and a batch that has a
// line that is not canonical is read again line by line to find it.
CIPHORA_AVX2 inline std::size_t ParseLines(const Byte* text, std::size_t lines, Byte* codes) {
    std::uint16_t breakDifference = 0;
    __m256i largestDigit = _mm256_setzero_si256();
    __m256i largestCode = _mm256_setzero_si256();
    for (std::size_t line = 0; line < lines; ++line) {
        const Byte* at = text + line * kLineLength;
        const LineRead read = ReadLine(at);
        breakDifference |= BreakDifference(at);
        largestDigit = _mm256_max_epu8(largestDigit, read.largestDigit);
        largestCode = _mm256_max_epu16(largestCode, read.largestCode);
        StoreCodes(read.codes, codes + line * kCodesPerLine);
    }
    if (AllFit(breakDifference, largestDigit, largestCode)) return lines;
    std::size_t canonical = 0;
    while (canonical < lines && ParseLineInto(text + canonical * kLineLength, codes + canonical * kCodesPerLine))
        ++canonical;
    return canonical;
}

}  // namespace

CIPHORA_AVX2 bool ParseLine(const Byte* text, Byte* codes) {
    Byte withSpill[kCodesPerLine + kParseSpill];
    if (!ParseLineInto(text, withSpill)) return false;
    std::copy_n(withSpill, kCodesPerLine, codes);
    return true;
}

namespace {

CIPHORA_AVX2 void EncipherLines(const EncipherRun& run, const Byte* plain, std::size_t lines, std::uint64_t first,
                                Byte* out) {
    const NibbleRows stage0 = RowsOf(run.stage0);
    const NibbleRows fromStage1 = RowsOf(run.fromStage1);
    const LineFormat format = LoadedLineFormat();
    alignas(32) Byte lastBatch[kBatchCodes];
    alignas(32) Byte entering1[kBatchCodes] = {};
    DigitColumns digits;
    while (lines > 0) {
        const std::size_t batch = std::min(lines, kBatchLines);
        const std::size_t count = batch * kCodesPerLine;
        // The vectors of a short batch read whole vectors, so it is copied.
        const Byte* source = plain;
        if (count < kBatchCodes) source = std::copy(plain, plain + count, lastBatch) - count;
        for (std::size_t lane = 0; lane < count; lane += 32) {
            const LaneOffsets offsets = OffsetsOfLanes(run.key1, run.key2, first + lane);
            const __m256i characters = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + lane));
            const __m256i left0 = Lookup(stage0, _mm256_add_epi8(characters, offsets.c1));
            _mm256_store_si256(reinterpret_cast<__m256i*>(entering1 + lane), _mm256_add_epi8(left0, offsets.c2));
        }
        for (std::size_t lane = 0; lane < count; lane += kPairCodes) {
            const __m256i* entering = reinterpret_cast<const __m256i*>(entering1 + lane);
            const __m256i codesA = Lookup(fromStage1, _mm256_load_si256(entering));
            const __m256i codesB = Lookup(fromStage1, _mm256_load_si256(entering + 1));
            StoreDigits(codesA, digits, lane);
            StoreDigits(codesB, digits, lane + 32);
        }
        for (std::size_t line = 0; line < batch; ++line)
            FormatLine(format, digits, line * kCodesPerLine, out + line * kLineLength);
        plain += count;
        out += batch * kLineLength;
        first += count;
        lines -= batch;
    }
}

// Stops at the first line that is not canonical; reads no further than the
// batch of lines that holds it.
CIPHORA_AVX2 std::size_t DecipherLines(const DecipherRun& run, const Byte* text, std::size_t size, std::size_t lines,
                                       std::uint64_t first, Byte* plain) {
    lines = std::min(lines, size / kLineLength);
    const NibbleRows toStage1 = RowsOf(run.toStage1);
    const NibbleRows inverse0 = RowsOf(run.inverse0);
    alignas(32) Byte codes[kBatchCodes + kParseSpill] = {};
    alignas(32) Byte lastPair[kPairCodes];
    std::size_t done = 0;
    while (done < lines) {
        const std::size_t batch = std::min(lines - done, kBatchLines);
        const std::size_t parsed = ParseLines(text, batch, codes);
        const std::size_t count = parsed * kCodesPerLine;
        // The codes become the values that left stage 0, in place.
        for (std::size_t lane = 0; lane < count; lane += 32) {
            __m256i* code = reinterpret_cast<__m256i*>(codes + lane);
            const LaneOffsets offsets = OffsetsOfLanes(run.key1, run.key2, first + lane);
            _mm256_store_si256(code, _mm256_sub_epi8(Lookup(toStage1, _mm256_load_si256(code)), offsets.c2));
        }
        for (std::size_t lane = 0; lane < count; lane += kPairCodes) {
            const __m256i* left0 = reinterpret_cast<const __m256i*>(codes + lane);
            const LaneOffsets offsetsA = OffsetsOfLanes(run.key1, run.key2, first + lane);
            const LaneOffsets offsetsB = OffsetsOfLanes(run.key1, run.key2, first + lane + 32);
            const __m256i charactersA = _mm256_sub_epi8(Lookup(inverse0, _mm256_load_si256(left0)), offsetsA.c1);
            const __m256i charactersB = _mm256_sub_epi8(Lookup(inverse0, _mm256_load_si256(left0 + 1)), offsetsB.c1);
            // The last pair may hold lanes past the batch.
            Byte* pair = lane + kPairCodes <= count ? plain + lane : lastPair;
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pair), charactersA);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pair + 32), charactersB);
            if (pair == lastPair) std::copy(lastPair, lastPair + (count - lane), plain + lane);
        }
        text += parsed * kLineLength;
        plain += count;
        first += count;
        done += parsed;
        if (parsed < batch) break;
    }
    return done;
}

}  // namespace

static_assert(kStepCodesMultiple % kCodesPerLine == 0, "a line is a step");
static_assert(kBatchCodes % kPairCodes == 0, "a batch is whole pairs of vectors");
const VectorKernel kKernel{kCodesPerLine, EncipherLines, DecipherLines};

}  // namespace ciphora::avx2
