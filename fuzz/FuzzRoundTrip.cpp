// Enciphering then deciphering gives the text back, on every kernel path and
// at any starting position.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzPlatform.h"
#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"
#include "cipher/CipherTextDecoder.h"
#include "common/ReferenceCipher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    if (size < 9) return 0;
    const CipherKey key{{data[0], data[1], data[2], data[3], data[4]}};
    std::uint32_t start;
    std::memcpy(&start, data + 5, sizeof start);
    // A quarter of the inputs start at the beginning of a text, the rest
    // anywhere, near the carries of C3 and C5 too.
    const std::uint64_t first = start % 4 == 0 ? 0 : start % 70000 + (start & 8 ? std::uint64_t{1} << 32 : 0);
    const Byte* plain = data + 9;
    const std::size_t count = size - 9;

    std::vector<Byte> reference;
    for (KernelPath path : AvailableKernelPaths()) {
        const CipherKernel kernel(DefaultSubstitutionTables(), key, path);
        std::vector<Byte> cipher(SpanCipherSize(first, count));
        FUZZ_CHECK(kernel.Encipher(plain, count, first, cipher.data()) == cipher.data() + cipher.size());
        if (reference.empty()) reference = cipher;
        FUZZ_CHECK(cipher == reference);
    }
    const CipherKernel kernel(DefaultSubstitutionTables(), key);
    CipherTextDecoder decoder(kernel, first, [](int, std::uint64_t) { FUZZ_CHECK(false); });
    std::string back;
    decoder.Feed(reference.data(), reference.size(), back);
    decoder.Finish(back, 3 * (first + count));
    FUZZ_CHECK(back == std::string(reinterpret_cast<const char*>(plain), count));

    if (first == 0) {
        const std::string text(reinterpret_cast<const char*>(plain), count);
        const std::string whole = std::string(reference.begin(), reference.end()) + (count % 20 ? "\r\n" : "");
        FUZZ_CHECK(whole == testing::ReferenceCipher(DefaultSubstitutionTables(), key).Encrypt(text));
    }
    return 0;
}
