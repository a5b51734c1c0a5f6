#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "CipherKey.h"
#include "KernelPaths.h"
#include "SubstitutionTables.h"

namespace ciphora {

// The arithmetic of both directions for one key. A character's code depends
// only on its byte and its position, so a span can start anywhere: the
// counters for its first position are computed directly.
class CipherKernel {
public:
    // `path` must be one this processor has (IsAvailable); std::invalid_argument otherwise.
    CipherKernel(const SubstitutionTables& tables, const CipherKey& key, KernelPath path = DefaultKernelPath());

    // Enciphers `count` characters whose first has the 0-based index `first`,
    // writing three digits per character and CR LF after every code that ends
    // a line (SpanCipherSize bytes). Returns the end of what was written.
    Byte* Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const;

    // The tables folded for the run of positions (KeyRuns.h) deciphered last.
    // Whoever deciphers a text in many pieces keeps one, so that they are
    // folded once per run rather than once per piece. Each thread needs its
    // own; one holds this kernel's tables only.
    class DecipherTables {
    private:
        friend class CipherKernel;
        static constexpr std::uint64_t kNoRun = ~std::uint64_t{0};
        std::uint64_t run_ = kNoRun;
        std::array<Byte, 256> inverseTail_{};  // a code back through stages 4..2
        std::array<Byte, 256> toStage1_{};     // a code back through stages 4..1
    };

    // Deciphers `count` codes (each already reduced to 0..255) whose first has
    // the 0-based index `first`, one plain byte per code.
    void Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain) const;
    void Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain, DecipherTables& tables) const;

    // Deciphers the canonical lines (CipherText.h) at the start of `text`, as
    // many as follow one another and `maxCodes` allows; the first code has
    // the index `first`. Returns the number of codes deciphered, 20 for every
    // 62 bytes.
    std::size_t DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first, std::uint64_t maxCodes,
                                       Byte* plain) const;
    std::size_t DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first, std::uint64_t maxCodes,
                                       Byte* plain, DecipherTables& tables) const;

    // Reads the 20 codes of a canonical line (62 bytes); false when it is not
    // one.
    static bool ParseCanonicalLine(const Byte* text, Byte* codes);

private:
    using Column = std::array<Byte, 256>;

    // The tables of one run of positions with the same counters C3..C5, for
    // the vector steps of either direction.
    struct EncipherColumns {
        Column fromStage1;            // the code of a value entering stage 1
        Column hundreds, tens, ones;  // the code's digits of a value entering stage 2
    };
    EncipherColumns EncipherColumnsOfRun(std::uint64_t position) const;
    // The tables of the run of `position`, folded unless `tables` holds them.
    const DecipherTables& DecipherTablesOfRun(std::uint64_t position, DecipherTables& tables) const;

    // Enciphers `steps` vector steps, all in the run of C3..C5 of `first`.
    void EncipherSteps(const Byte* plain, std::size_t steps, std::uint64_t first, Byte* out) const;
    // Deciphers up to `steps` vector steps of canonical lines within `size`
    // bytes, all in the run of `first`; returns the steps deciphered.
    std::size_t DecipherSteps(const Byte* text, std::size_t size, std::size_t steps, std::uint64_t first, Byte* plain,
                              DecipherTables& tables) const;

    Byte* EncipherScalar(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const;
    // Deciphers up to `lines` canonical lines; returns how many there were.
    std::size_t DecipherCanonicalLinesScalar(const Byte* text, std::size_t lines, std::uint64_t first, Byte* plain,
                                             DecipherTables& tables) const;

    // The last three stages, fixed for every run of 65536 positions that
    // share the counters C3..C5, folded into one table.
    Column EncipherTail(const StageOffsets& offsets) const;
    Column DecipherTail(const StageOffsets& offsets) const;

    std::array<Column, kStages> encipher_;
    std::array<Column, kStages> decipher_;
    KeySchedule schedule_;
    CipherKey key_;
    const VectorKernel* vector_;  // none: the scalar path
};

}  // namespace ciphora
