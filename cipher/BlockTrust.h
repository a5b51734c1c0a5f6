#pragma once

#include <cstdint>

#include "CipherText.h"

namespace ciphora {

// Deciphering blocks side by side. A worker reads its block as if only
// canonical lines (CipherText.h) came before
// it, which puts the block's first code at a known index. The blocks are
// written in order for as long as each written one confirms that assumption
// for the next; from the first that does not, the text is read in one pass.
namespace block_trust {

// The codes before byte `offset`, a line start, when only canonical lines
// precede it.
constexpr std::uint64_t CodesBeforeCanonical(std::uint64_t offset) { return offset / kLineLength * kCodesPerLine; }

// What a worker found in its block.
struct Findings {
    bool canonical = false;  // nothing but canonical lines
    bool reduced = false;    // a code above 255, to be reported in order
};

// Whether a block's plain text from a worker is what one pass over the whole
// text gives there, provided that every block before it stood. Its own lines
// must all be canonical, or the next block's first index would be wrong,
// unless nothing follows it; and no code may need reporting, as reports come
// from one thread, in order.
constexpr bool Stands(Findings findings, bool last) { return !findings.reduced && (findings.canonical || last); }

}  // namespace block_trust

}  // namespace ciphora
