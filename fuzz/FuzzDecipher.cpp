// Deciphering any bytes with any key: the kernel paths, fed in pieces, agree
// with the step-by-step model, reductions included.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzPlatform.h"
#include "cipher/CipherKernel.h"
#include "cipher/CipherTextDecoder.h"
#include "common/ReferenceCipher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    if (size < 7) return 0;
    const CipherKey key{{data[0], data[1], data[2], data[3], data[4]}};
    const std::size_t piece = 1 + data[5] % 200;
    const std::string text(reinterpret_cast<const char*>(data) + 6, size - 6);

    std::vector<int> expectedReductions;
    const std::string expected =
        testing::ReferenceCipher(DefaultSubstitutionTables(), key).Decrypt(text, &expectedReductions);
    for (KernelPath path : AvailableKernelPaths()) {
        const CipherKernel kernel(DefaultSubstitutionTables(), key, path);
        std::vector<int> reductions;
        CipherTextDecoder decoder(kernel, [&](int code, std::uint64_t) { reductions.push_back(code); });
        std::string plain;
        for (std::size_t at = 0; at < text.size(); at += piece)
            decoder.Feed(reinterpret_cast<const Byte*>(text.data()) + at, std::min(piece, text.size() - at), plain);
        decoder.Finish(plain, text.size());
        FUZZ_CHECK(plain == expected);
        FUZZ_CHECK(reductions == expectedReductions);
    }
    return 0;
}
