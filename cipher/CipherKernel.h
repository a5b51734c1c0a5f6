#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Avx512Kernel.h"
#include "CipherKey.h"
#include "SubstitutionTables.h"

namespace ciphora {

// How the kernel computes: byte by byte everywhere, or with AVX-512 byte
// permutes where the processor has them. Both give the same bytes.
enum class KernelPath { Scalar, Avx512 };

// The fastest path this processor supports.
KernelPath BestKernelPath();

// The arithmetic of both directions for one key. A character's code depends
// only on its byte and its position, so a span can start anywhere: the
// counters for its first position are computed directly.
class CipherKernel {
public:
    CipherKernel(const SubstitutionTables& tables, const CipherKey& key, KernelPath path = BestKernelPath());

    // Enciphers `count` characters whose first has the 0-based index `first`,
    // writing three digits per character and CR LF after every code that ends
    // a line (SpanCipherSize bytes). Returns the end of what was written.
    Byte* Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const;

    // Deciphers `count` codes (each already reduced to 0..255) whose first has
    // the 0-based index `first`, one plain byte per code.
    void Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain) const;

    // Deciphers the canonical lines at the start of `text` (60 digits and
    // CR LF each, every code at most 255), as many as follow one another and
    // `maxCodes` allows; the first code has the index `first`. Returns the
    // number of codes deciphered, 20 for every 62 bytes.
    std::size_t DecipherCanonicalLines(const Byte* text, std::size_t size, std::uint64_t first, std::uint64_t maxCodes,
                                       Byte* plain) const;

    // Reads the 20 codes of a canonical line (62 bytes); false when it is not
    // one.
    static bool ParseCanonicalLine(const Byte* text, Byte* codes);

private:
    using Column = std::array<Byte, 256>;

    // The tables of one run of positions with the same counters C3..C5: the
    // digits of the last three stages for enciphering, their inverse for
    // deciphering; only the direction asked for is filled in.
    struct RunColumns {
        Column hundreds, tens, ones, inverseTail;
    };
    enum class Direction { Encipher, Decipher };
    RunColumns ColumnsOfRun(std::uint64_t position, Direction direction) const;
    avx512::RunTables VectorTables(const RunColumns& columns) const;

    Byte* EncipherScalar(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const;
    // Deciphers up to `lines` canonical lines; returns how many there were.
    std::size_t DecipherCanonicalLinesScalar(const Byte* text, std::size_t lines, std::uint64_t first,
                                             Byte* plain) const;

    // The last three stages, fixed for every run of 65536 positions that
    // share the counters C3..C5, folded into one table.
    Column EncipherTail(const StageOffsets& offsets) const;
    Column DecipherTail(const StageOffsets& offsets) const;

    std::array<Column, kStages> encipher_;
    std::array<Column, kStages> decipher_;
    KeySchedule schedule_;
    CipherKey key_;
    KernelPath path_;
};

}  // namespace ciphora
