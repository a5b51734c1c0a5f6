#include <gtest/gtest.h>

#include <random>

#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"
#include "cipher/CipherTextDecoder.h"
#include "common/ReferenceCipher.h"
#include "common/TestPlatform.h"

#if CIPHORA_X86_KERNELS
#include "cipher/Avx2Kernel.h"
#endif
#if CIPHORA_NEON_KERNEL
#include "cipher/NeonKernel.h"
#endif

namespace ciphora {
namespace {

using testing::RandomBytes;

const CipherKey kKeys[] = {
    {{0, 0, 0, 0, 0}},
    {{255, 255, 255, 255, 255}},
    {{117, 32, 209, 4, 188}},
    {{1, 254, 0, 255, 7}},
};

// Every vector path against the scalar one.
class KernelPathsTest : public ::testing::TestWithParam<KernelPath> {
protected:
    void SetUp() override {
        if (!IsAvailable(GetParam())) GTEST_SKIP() << "this processor has no " << KernelPathName(GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Vector, KernelPathsTest,
                         ::testing::Values(KernelPath::Avx2, KernelPath::Avx512, KernelPath::Neon),
                         [](const auto& info) { return std::string(KernelPathName(info.param)); });

std::vector<Byte> Encipher(const CipherKernel& kernel, const std::string& plain, std::uint64_t first) {
    std::vector<Byte> out(SpanCipherSize(first, plain.size()) + 64, 0xEE);
    Byte* end = kernel.Encipher(reinterpret_cast<const Byte*>(plain.data()), plain.size(), first, out.data());
    EXPECT_EQ(static_cast<std::size_t>(end - out.data()), SpanCipherSize(first, plain.size()));
    EXPECT_EQ(out[SpanCipherSize(first, plain.size())], 0xEE) << "wrote past the end";
    return out;
}

TEST_P(KernelPathsTest, EncipheringIsTheSameOnEveryPath) {
    std::mt19937_64 random(11);
    for (const CipherKey& key : kKeys) {
        const CipherKernel scalar(DefaultSubstitutionTables(), key, KernelPath::Scalar);
        const CipherKernel vector(DefaultSubstitutionTables(), key, GetParam());
        for (int trial = 0; trial < 60; ++trial) {
            // Near every counter's carry, across the end of a run of C3..C5, and anywhere.
            const std::uint64_t bases[] = {0, 200, 65280 - 300, 16711680 - 500, (1ull << 32) - 700, random() >> 24};
            const std::uint64_t first = bases[trial % 6] + random() % 400;
            const std::size_t size = trial % 10 == 0 ? 200000 : random() % 1500;
            const std::string plain = RandomBytes(size, static_cast<unsigned>(trial));
            ASSERT_EQ(Encipher(vector, plain, first), Encipher(scalar, plain, first))
                << "first " << first << " size " << size;
        }
    }
}

// Cipher text in the canonical layout with a few lines spoiled in the given
// way, at a digit or at the line break.
std::string Spoiled(const std::string& canonical, const std::string& spoil, std::mt19937& random) {
    std::string text = canonical;
    for (int i = 0; i < 3; ++i) {
        const std::size_t line = random() % (text.size() / kLineLength);
        text.replace(line * kLineLength + random() % kLineLength, spoil.size(), spoil);
    }
    return text;
}

TEST_P(KernelPathsTest, CanonicalLinesAreReadTheSameOnEveryPath) {
    std::mt19937 random(3);
    for (const CipherKey& key : kKeys) {
        const CipherKernel scalar(DefaultSubstitutionTables(), key, KernelPath::Scalar);
        const CipherKernel vector(DefaultSubstitutionTables(), key, GetParam());
        const std::vector<Byte> cipher = Encipher(scalar, RandomBytes(std::size_t{20} * 4000, 4), 0);
        const std::string canonical(cipher.begin(),
                                    cipher.begin() + static_cast<std::ptrdiff_t>(CipherTextSize(80000)));
        for (const std::string& spoil : {std::string("300"), std::string("9"), std::string("x"), std::string("\n")}) {
            const std::string text = Spoiled(canonical, spoil, random) + "\r\n";
            // Line starts and starts within a line, across runs of C2 and of C3..C5, far ones.
            for (std::uint64_t first :
                 {std::uint64_t{0}, std::uint64_t{237}, std::uint64_t{65000}, std::uint64_t{65000 + 7},
                  std::uint64_t{16711680 - 4000 + 13}, std::uint64_t{1} << 24, (std::uint64_t{1} << 32) - 3333}) {
                std::vector<Byte> a(text.size()), b(text.size());
                const auto* bytes = reinterpret_cast<const Byte*>(text.data());
                const std::size_t fromScalar =
                    scalar.DecipherCanonicalLines(bytes, text.size(), first, 1u << 30, a.data());
                const std::size_t fromVector =
                    vector.DecipherCanonicalLines(bytes, text.size(), first, 1u << 30, b.data());
                ASSERT_EQ(fromVector, fromScalar) << spoil;
                ASSERT_TRUE(std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(fromScalar), b.begin()));
                // The limit on codes is kept to the line.
                EXPECT_EQ(vector.DecipherCanonicalLines(bytes, text.size(), first, 130, b.data()),
                          std::min<std::size_t>(120, fromScalar));
            }
        }
    }
}

// The vector line readers against the plain one, with each byte of a line
// spoiled in every way that lies next to what is allowed there.
struct LineReader {
    KernelPath path;
    bool (*parse)(const Byte* text, Byte* codes);
};

class VectorLineReader : public ::testing::TestWithParam<LineReader> {
protected:
    void SetUp() override {
        if (!IsAvailable(GetParam().path)) GTEST_SKIP() << "this processor has no " << KernelPathName(GetParam().path);
    }
};

// Elsewhere there is no vector path, and nothing to compare.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(VectorLineReader);

#if CIPHORA_X86_KERNELS || CIPHORA_NEON_KERNEL
const LineReader kLineReaders[] = {
#if CIPHORA_X86_KERNELS
    {KernelPath::Avx2, avx2::ParseLine},
#endif
#if CIPHORA_NEON_KERNEL
    {KernelPath::Neon, neon::ParseLine},
#endif
};

INSTANTIATE_TEST_SUITE_P(Vector, VectorLineReader, ::testing::ValuesIn(kLineReaders),
                         [](const auto& info) { return std::string(KernelPathName(info.param.path)); });
#endif

TEST_P(VectorLineReader, TakesExactlyTheCanonicalLines) {
    std::string line;
    for (int code = 0; code < 20; ++code) line += code % 2 == 0 ? "255" : std::to_string(100 + 7 * code);
    line += "\r\n";
    std::vector<std::string> lines = {line, std::string(60, '0') + "\r\n", std::string(60, '2') + "\r\n",
                                      std::string(57, '1') + "256\r\n",
                                      std::string(45, '1') + "299" + std::string(12, '1') + "\r\n"};
    for (std::size_t at = 0; at < kLineLength; ++at)
        for (char spoil : {'/', ':', '0', '9', '2', '6', '\r', '\n', ' ', '\0', '\xB0', '\xFF'}) {
            std::string spoiled = line;
            spoiled[at] = spoil;
            lines.push_back(spoiled);
        }
    for (const std::string& text : lines) {
        Byte expected[kCodesPerLine] = {}, codes[kCodesPerLine] = {};
        const auto* bytes = reinterpret_cast<const Byte*>(text.data());
        const bool canonical = CipherKernel::ParseCanonicalLine(bytes, expected);
        ASSERT_EQ(GetParam().parse(bytes, codes), canonical) << text;
        if (canonical) {
            EXPECT_TRUE(std::equal(codes, codes + kCodesPerLine, expected)) << text;
        }
    }
}

TEST(KernelPaths, EachIsDescribedOnceAndAnUnavailableOneIsRefused) {
    for (const KernelPath path : {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512, KernelPath::Neon}) {
        EXPECT_EQ(Describe(path).path, path);
        EXPECT_EQ(KernelPathNamed(KernelPathName(path)), path);
        EXPECT_EQ(Describe(path).vector == nullptr, path == KernelPath::Scalar || !IsAvailable(path));
        if (!IsAvailable(path)) {
            EXPECT_THROW(CipherKernel(DefaultSubstitutionTables(), kKeys[0], path), std::invalid_argument);
        }
    }
    EXPECT_TRUE(IsAvailable(KernelPath::Scalar));
    EXPECT_EQ(AvailableKernelPaths().front(), KernelPath::Scalar);
    EXPECT_EQ(AvailableKernelPaths().back(), BestKernelPath());
    EXPECT_FALSE(KernelPathNamed("sse2"));
}

TEST(CipherTextDecoder, FastLinesAndDigitByDigitReadingAgreeWithTheModel) {
    std::mt19937 random(9);
    const CipherKey key = kKeys[2];
    const testing::ReferenceCipher model(DefaultSubstitutionTables(), key);
    const std::string canonical = model.Encrypt(RandomBytes(30000, 6));
    for (const std::string& spoil :
         {std::string("999"), std::string(" "), std::string("12"), std::string("\r\n1"), std::string("a")}) {
        const std::string text = Spoiled(canonical, spoil, random);
        for (KernelPath path : AvailableKernelPaths()) {
            const CipherKernel kernel(DefaultSubstitutionTables(), key, path);
            std::vector<int> reductions;
            CipherTextDecoder decoder(kernel, [&](int code, std::uint64_t) { reductions.push_back(code); });
            std::string plain;
            // In pieces of odd sizes, as a stream delivers them.
            for (std::size_t at = 0; at < text.size(); at += 4097)
                decoder.Feed(reinterpret_cast<const Byte*>(text.data()) + at,
                             std::min<std::size_t>(4097, text.size() - at), plain);
            decoder.Finish(plain, text.size());
            std::vector<int> expectedReductions;
            ASSERT_EQ(plain, model.Decrypt(text, &expectedReductions)) << spoil;
            EXPECT_EQ(reductions, expectedReductions) << spoil;
            EXPECT_TRUE(decoder.Deviated());
        }
    }
}

// Canonical text fed in pieces of whole lines, as a worker reads its block,
// stays canonical: a piece that ends with a line ends at a line start. Cut
// anywhere else it is still read right, and deviates only where cut.
TEST(CipherTextDecoder, CanonicalLinesInPiecesOfWholeLinesStayCanonical) {
    const CipherKey key = kKeys[1];
    const testing::ReferenceCipher model(DefaultSubstitutionTables(), key);
    const std::string plain = RandomBytes(20 * 3000 + 7, 8);
    const std::string text = model.Encrypt(plain);
    struct Case {
        std::size_t piece;
        bool canonical;
    };
    for (const Case c : {Case{kLineLength, true}, Case{kLineLength * 100, true}, Case{1000, false}}) {
        for (KernelPath path : AvailableKernelPaths()) {
            const CipherKernel kernel(DefaultSubstitutionTables(), key, path);
            CipherTextDecoder decoder(kernel, [](int, std::uint64_t) {});
            std::vector<Byte> out(text.size() / kDigitsPerCode + 1);
            std::size_t written = 0;
            for (std::size_t at = 0; at < text.size(); at += c.piece) {
                const std::size_t size = std::min(c.piece, text.size() - at);
                ASSERT_LE(written + decoder.PlainRoom(size), out.size());
                written += decoder.Feed(reinterpret_cast<const Byte*>(text.data()) + at, size, out.data() + written);
            }
            written += decoder.Finish(out.data() + written, text.size());
            EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written)), plain)
                << c.piece << " " << KernelPathName(path);
            // The last line is short, which no canonical text avoids.
            EXPECT_EQ(decoder.Deviated(), true);
            CipherTextDecoder wholeLines(kernel, [](int, std::uint64_t) {});
            const std::size_t lines = text.size() / kLineLength * kLineLength;
            for (std::size_t at = 0; at + c.piece <= lines; at += c.piece)
                wholeLines.Feed(reinterpret_cast<const Byte*>(text.data()) + at, c.piece, out.data());
            EXPECT_EQ(wholeLines.Deviated(), !c.canonical) << c.piece << " " << KernelPathName(path);
        }
    }
}

}  // namespace
}  // namespace ciphora
