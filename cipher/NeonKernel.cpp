#include "NeonKernel.h"

#include <arm_neon.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "CipherText.h"
#include "KeyRuns.h"

namespace ciphora::neon {

namespace {

// Lines are taken 16 at a time: 320 codes, twenty vectors. The digits of a
// whole batch are formed before the first line is written.
constexpr std::size_t kBatchLines = 16;
constexpr std::size_t kBatchCodes = kBatchLines * kCodesPerLine;
constexpr std::size_t kLanes = 16;

// A 256-entry table in four groups of four registers, 64 entries each.
struct Table256 {
    uint8x16x4_t quarter[4];
};

Table256 LoadTable(const Byte* table) {
    Table256 loaded;
    for (std::size_t q = 0; q < 4; ++q) loaded.quarter[q] = vld1q_u8_x4(table + 64 * q);
    return loaded;
}

// TBL gives 0 for an index past its 64 entries and TBX leaves such a lane as
// it was; so each quarter is asked with the index less the quarter's start,
// and only the lanes whose index falls in it take its entry (the others wrap
// to 192 or more).
inline uint8x16_t Lookup(const Table256& table, uint8x16_t index) {
    const uint8x16_t quarterSize = vdupq_n_u8(64);
    uint8x16_t found = vqtbl4q_u8(table.quarter[0], index);
    index = vsubq_u8(index, quarterSize);
    found = vqtbx4q_u8(found, table.quarter[1], index);
    index = vsubq_u8(index, quarterSize);
    found = vqtbx4q_u8(found, table.quarter[2], index);
    index = vsubq_u8(index, quarterSize);
    return vqtbx4q_u8(found, table.quarter[3], index);
}

// C1 and C2 for 16 consecutive characters from the 0-based index `first`;
// C2 moves by one at the lane where position + 1 reaches a multiple of 256.
struct LaneOffsets {
    uint8x16_t c1, c2;
};

inline LaneOffsets OffsetsOfLanes(Byte key1, Byte key2, std::uint64_t first) {
    static constexpr std::array<Byte, kLanes> kIota{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const uint8x16_t iota = vld1q_u8(kIota.data());
    const std::uint64_t position = first + 1;
    const uint8x16_t c1 = vaddq_u8(vdupq_n_u8(static_cast<Byte>(key1 + 1 + position)), iota);
    uint8x16_t c2 = vdupq_n_u8(static_cast<Byte>(key2 + 1 + key_runs::C2Advances(position)));
    const std::uint64_t sameC2 = key_runs::LeftWithC2(position);
    if (sameC2 < kLanes) {
        // All ones (minus one) in the lanes after C2 moved.
        const uint8x16_t later = vcgeq_u8(iota, vdupq_n_u8(static_cast<Byte>(sameC2)));
        c2 = vsubq_u8(c2, later);
    }
    return {c1, c2};
}

// The ASCII digits of 16 codes: for values up to 255, v / 100 is
// (v * 41) >> 12, and for r up to 99, r / 10 is (r * 103) >> 10.
inline uint8x16x3_t DigitsOf(uint8x16_t codes) {
    const uint16x8_t lowTimes41 = vmull_u8(vget_low_u8(codes), vdup_n_u8(41));
    const uint16x8_t highTimes41 = vmull_high_u8(codes, vdupq_n_u8(41));
    const uint8x16_t hundreds =
        vcombine_u8(vmovn_u16(vshrq_n_u16(lowTimes41, 12)), vmovn_u16(vshrq_n_u16(highTimes41, 12)));
    const uint8x16_t belowHundred = vmlsq_u8(codes, hundreds, vdupq_n_u8(100));
    const uint16x8_t lowTimes103 = vmull_u8(vget_low_u8(belowHundred), vdup_n_u8(103));
    const uint16x8_t highTimes103 = vmull_high_u8(belowHundred, vdupq_n_u8(103));
    const uint8x16_t tens =
        vcombine_u8(vmovn_u16(vshrq_n_u16(lowTimes103, 10)), vmovn_u16(vshrq_n_u16(highTimes103, 10)));
    const uint8x16_t ones = vmlsq_u8(belowHundred, tens, vdupq_n_u8(10));
    const uint8x16_t zero = vdupq_n_u8('0');
    return {{vaddq_u8(hundreds, zero), vaddq_u8(tens, zero), vaddq_u8(ones, zero)}};
}

// The codes of 16 digit triples (ASCII), or false when a byte is no digit or
// a code exceeds 255.
inline bool CodesOf(uint8x16x3_t digits, uint8x16_t& codes) {
    const uint8x16_t zero = vdupq_n_u8('0');
    const uint8x16_t nine = vdupq_n_u8(9);
    const uint8x16_t two = vdupq_n_u8(2);
    const uint8x16_t h = vsubq_u8(digits.val[0], zero);
    const uint8x16_t t = vsubq_u8(digits.val[1], zero);
    const uint8x16_t o = vsubq_u8(digits.val[2], zero);
    const uint8x16_t notDigits = vorrq_u8(vcgtq_u8(h, nine), vorrq_u8(vcgtq_u8(t, nine), vcgtq_u8(o, nine)));
    const uint8x16_t belowHundred = vmlaq_u8(o, t, vdupq_n_u8(10));
    const uint8x16_t tooBig =
        vorrq_u8(vcgtq_u8(h, two), vandq_u8(vceqq_u8(h, two), vcgtq_u8(belowHundred, vdupq_n_u8(55))));
    if (vmaxvq_u8(vorrq_u8(notDigits, tooBig)) != 0) return false;
    codes = vmlaq_u8(belowHundred, h, vdupq_n_u8(100));
    return true;
}

void EncipherLines(const EncipherRun& run, const Byte* plain, std::size_t lines, std::uint64_t first, Byte* out) {
    const Table256 stage0 = LoadTable(run.stage0);
    const Table256 fromStage1 = LoadTable(run.fromStage1);
    std::array<Byte, kDigitsPerCode * kBatchCodes> digits;
    std::array<Byte, kBatchCodes> lastBatch;
    while (lines > 0) {
        const std::size_t batch = std::min(lines, kBatchLines);
        const std::size_t count = batch * kCodesPerLine;
        // The vectors of a short batch read whole vectors, so it is copied.
        const Byte* source = plain;
        if (count < kBatchCodes) source = std::copy(plain, plain + count, lastBatch.data()) - count;
        for (std::size_t lane = 0; lane < count; lane += kLanes) {
            const LaneOffsets offsets = OffsetsOfLanes(run.key1, run.key2, first + lane);
            const uint8x16_t characters = vld1q_u8(source + lane);
            const uint8x16_t entering1 = vaddq_u8(Lookup(stage0, vaddq_u8(characters, offsets.c1)), offsets.c2);
            // Three digits to a code, side by side.
            vst3q_u8(digits.data() + kDigitsPerCode * lane, DigitsOf(Lookup(fromStage1, entering1)));
        }
        for (std::size_t line = 0; line < batch; ++line) {
            Byte* lineOut = out + line * kLineLength;
            std::memcpy(lineOut, digits.data() + line * kDigitsPerCode * kCodesPerLine, kDigitsPerCode * kCodesPerLine);
            lineOut[60] = '\r';
            lineOut[61] = '\n';
        }
        plain += count;
        out += batch * kLineLength;
        first += count;
        lines -= batch;
    }
}

// Stops at the first line that is not canonical and reads nothing past it.
std::size_t DecipherLines(const DecipherRun& run, const Byte* text, std::size_t size, std::size_t lines,
                          std::uint64_t first, Byte* plain) {
    lines = std::min(lines, size / kLineLength);
    const Table256 toStage1 = LoadTable(run.toStage1);
    const Table256 inverse0 = LoadTable(run.inverse0);
    // Room for the whole vector that the last codes of a batch fill.
    std::array<Byte, kBatchCodes + kLanes> codes;
    std::array<Byte, kLanes> lastPlain;
    std::size_t done = 0;
    while (done < lines) {
        const std::size_t batch = std::min(lines - done, kBatchLines);
        std::size_t parsed = 0;
        while (parsed < batch && ParseLine(text + parsed * kLineLength, codes.data() + parsed * kCodesPerLine))
            ++parsed;
        const std::size_t count = parsed * kCodesPerLine;
        for (std::size_t lane = 0; lane < count; lane += kLanes) {
            const LaneOffsets offsets = OffsetsOfLanes(run.key1, run.key2, first + lane);
            const uint8x16_t code = vld1q_u8(codes.data() + lane);
            const uint8x16_t leaving0 = vsubq_u8(Lookup(toStage1, code), offsets.c2);
            const uint8x16_t characters = vsubq_u8(Lookup(inverse0, leaving0), offsets.c1);
            // The last vector may hold lanes past the batch.
            if (lane + kLanes <= count) {
                vst1q_u8(plain + lane, characters);
            } else {
                vst1q_u8(lastPlain.data(), characters);
                std::copy(lastPlain.data(), lastPlain.data() + (count - lane), plain + lane);
            }
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

bool ParseLine(const Byte* text, Byte* codes) {
    if (text[60] != '\r' || text[61] != '\n') return false;
    // Codes 0..15 from bytes 0..47, codes 12..19 from bytes 36..59.
    uint8x16_t first;
    uint8x16_t last;
    const uint8x8x3_t lastDigits = vld3_u8(text + 36);
    const uint8x16x3_t lastAsSixteen{{vcombine_u8(lastDigits.val[0], lastDigits.val[0]),
                                      vcombine_u8(lastDigits.val[1], lastDigits.val[1]),
                                      vcombine_u8(lastDigits.val[2], lastDigits.val[2])}};
    if (!CodesOf(vld3q_u8(text), first) || !CodesOf(lastAsSixteen, last)) return false;
    vst1q_u8(codes, first);
    vst1_u8(codes + 12, vget_low_u8(last));
    return true;
}

static_assert(kStepCodesMultiple % kCodesPerLine == 0, "a line is a step");
static_assert(kBatchCodes % kLanes == 0, "a batch is whole vectors");
const VectorKernel kKernel{kCodesPerLine, EncipherLines, DecipherLines};

}  // namespace ciphora::neon
