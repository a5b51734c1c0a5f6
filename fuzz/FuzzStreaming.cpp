// The library's streams, fed random pieces, give the one-call result in both
// directions, and say the same about texts that are no cipher text.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzPlatform.h"
#include "ciphora/ciphora.h"

namespace {

struct Outcome {
    int result = CIPHORA_OK;
    std::vector<char> bytes;
    std::uint64_t reduced = 0;
};

Outcome OneCall(const ciphora_key& key, int direction, const std::uint8_t* input, std::size_t size) {
    Outcome outcome;
    std::size_t written = 0;
    outcome.bytes.resize(direction == CIPHORA_ENCIPHER ? ciphora_enciphered_size(size)
                                                       : ciphora_deciphered_bound(size));
    outcome.result = direction == CIPHORA_ENCIPHER
                         ? ciphora_encipher(&key, input, size, outcome.bytes.data(), outcome.bytes.size(), &written)
                         : ciphora_decipher(&key, reinterpret_cast<const char*>(input), size, outcome.bytes.data(),
                                            outcome.bytes.size(), &written, &outcome.reduced);
    outcome.bytes.resize(outcome.result == CIPHORA_OK ? written : 0);
    return outcome;
}

// Pieces whose sizes come from `sizes`, one byte each, in turn.
Outcome InPieces(const ciphora_key& key, int direction, const std::uint8_t* input, std::size_t size,
                 const std::uint8_t* sizes, std::size_t sizeCount) {
    Outcome outcome;
    ciphora_stream* stream = nullptr;
    FUZZ_CHECK(ciphora_stream_create(&key, direction, &stream) == CIPHORA_OK);
    std::size_t written = 0;
    for (std::size_t at = 0, turn = 0; at < size; ++turn) {
        const std::size_t piece = std::min<std::size_t>(size - at, sizeCount > 0 ? sizes[turn % sizeCount] + 1 : 1);
        const std::size_t bound = ciphora_stream_feed_bound(stream, piece);
        std::vector<char> out(bound);
        // No room at all: a piece that gives nothing is taken, any other
        // is refused whole, with what it needs said.
        const int probed = ciphora_stream_feed(stream, input + at, piece, out.data(), 0, &written);
        if (probed == CIPHORA_ERROR_CAPACITY) {
            FUZZ_CHECK(written > 0 && written <= bound);
            FUZZ_CHECK(ciphora_stream_feed(stream, input + at, piece, out.data(), out.size(), &written) == CIPHORA_OK);
        } else {
            FUZZ_CHECK(probed == CIPHORA_OK && written == 0);
        }
        FUZZ_CHECK(written <= bound);
        outcome.bytes.insert(outcome.bytes.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written));
        at += piece;
    }
    char ending[2];
    outcome.result = ciphora_stream_finish(stream, ending, sizeof ending, &written, &outcome.reduced);
    if (outcome.result == CIPHORA_OK)
        outcome.bytes.insert(outcome.bytes.end(), ending, ending + written);
    else
        outcome.bytes.clear();
    ciphora_stream_free(stream);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) return 0;
    ciphora_key key;
    for (std::size_t i = 0; i < 5; ++i) key.values[i] = static_cast<unsigned char>(data[i] == 0 ? 1 : data[i]);
    const int direction = data[5] % 2 == 0 ? CIPHORA_ENCIPHER : CIPHORA_DECIPHER;
    const std::size_t sizeCount = data[6] % 8;
    if (size < 7 + sizeCount) return 0;
    const std::uint8_t* sizes = data + 7;
    const std::uint8_t* input = sizes + sizeCount;
    const std::size_t inputSize = size - 7 - sizeCount;

    const Outcome whole = OneCall(key, direction, input, inputSize);
    const Outcome pieces = InPieces(key, direction, input, inputSize, sizes, sizeCount);
    FUZZ_CHECK(whole.result == pieces.result);
    FUZZ_CHECK(whole.bytes == pieces.bytes);
    FUZZ_CHECK(whole.reduced == pieces.reduced);
    return 0;
}
