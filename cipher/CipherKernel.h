#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "CipherKey.h"
#include "SubstitutionTables.h"

namespace ciphora {

// The arithmetic of both directions for one key. A character's code depends
// only on its byte and its position, so a span can start anywhere: the
// counters for its first position are computed directly.
class CipherKernel {
public:
    CipherKernel(const SubstitutionTables& tables, const CipherKey& key);

    // Enciphers `count` characters whose first has the 0-based index `first`,
    // writing three digits per character and CR LF after every code that ends
    // a line (SpanCipherSize bytes). Returns the end of what was written.
    Byte* Encipher(const Byte* plain, std::size_t count, std::uint64_t first, Byte* out) const;

    // Deciphers `count` codes (each already reduced to 0..255) whose first has
    // the 0-based index `first`, one plain byte per code.
    void Decipher(const Byte* codes, std::size_t count, std::uint64_t first, Byte* plain) const;

private:
    using Column = std::array<Byte, 256>;

    // The last three stages, fixed for every run of 65536 positions that
    // share the counters C3..C5, folded into one table.
    Column EncipherTail(const StageOffsets& offsets) const;
    Column DecipherTail(const StageOffsets& offsets) const;

    std::array<Column, kStages> encipher_;
    std::array<Column, kStages> decipher_;
    KeySchedule schedule_;
};

}  // namespace ciphora
