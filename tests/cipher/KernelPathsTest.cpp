#include <gtest/gtest.h>

#include <random>

#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"
#include "cipher/CipherTextDecoder.h"
#include "common/ReferenceCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::RandomBytes;

const CipherKey kKeys[] = {
    {{0, 0, 0, 0, 0}},
    {{255, 255, 255, 255, 255}},
    {{117, 32, 209, 4, 188}},
    {{1, 254, 0, 255, 7}},
};

class KernelPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (BestKernelPath() != KernelPath::Avx512) GTEST_SKIP() << "no AVX-512 VBMI on this processor";
    }
};

std::vector<Byte> Encipher(const CipherKernel& kernel, const std::string& plain, std::uint64_t first) {
    std::vector<Byte> out(SpanCipherSize(first, plain.size()) + 64, 0xEE);
    Byte* end = kernel.Encipher(reinterpret_cast<const Byte*>(plain.data()), plain.size(), first, out.data());
    EXPECT_EQ(static_cast<std::size_t>(end - out.data()), SpanCipherSize(first, plain.size()));
    EXPECT_EQ(out[SpanCipherSize(first, plain.size())], 0xEE) << "wrote past the end";
    return out;
}

TEST_F(KernelPathsTest, EncipheringIsTheSameOnEveryPath) {
    std::mt19937_64 random(11);
    for (const CipherKey& key : kKeys) {
        const CipherKernel scalar(DefaultSubstitutionTables(), key, KernelPath::Scalar);
        const CipherKernel vector(DefaultSubstitutionTables(), key, KernelPath::Avx512);
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

// Cipher text in the canonical layout with a few lines spoiled in the given way.
std::string Spoiled(const std::string& canonical, const std::string& spoil, std::mt19937& random) {
    std::string text = canonical;
    for (int i = 0; i < 3; ++i) {
        const std::size_t line = random() % (text.size() / kLineLength);
        text.replace(line * kLineLength + random() % 60, spoil.size(), spoil);
    }
    return text;
}

TEST_F(KernelPathsTest, CanonicalLinesAreReadTheSameOnEveryPath) {
    std::mt19937 random(3);
    for (const CipherKey& key : kKeys) {
        const CipherKernel scalar(DefaultSubstitutionTables(), key, KernelPath::Scalar);
        const CipherKernel vector(DefaultSubstitutionTables(), key, KernelPath::Avx512);
        const std::vector<Byte> cipher = Encipher(scalar, RandomBytes(std::size_t{20} * 4000, 4), 0);
        const std::string canonical(cipher.begin(),
                                    cipher.begin() + static_cast<std::ptrdiff_t>(CipherTextSize(80000)));
        for (const std::string& spoil : {std::string("300"), std::string("9"), std::string("x"), std::string("\n")}) {
            const std::string text = Spoiled(canonical, spoil, random) + "\r\n";
            for (std::uint64_t first : {std::uint64_t{0}, std::uint64_t{65000}, std::uint64_t{1} << 24}) {
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

TEST(CipherTextDecoder, FastLinesAndDigitByDigitReadingAgreeWithTheModel) {
    std::mt19937 random(9);
    const CipherKey key = kKeys[2];
    const testing::ReferenceCipher model(DefaultSubstitutionTables(), key);
    const std::string canonical = model.Encrypt(RandomBytes(30000, 6));
    for (const std::string& spoil :
         {std::string("999"), std::string(" "), std::string("12"), std::string("\r\n1"), std::string("a")}) {
        const std::string text = Spoiled(canonical, spoil, random);
        for (KernelPath path : {KernelPath::Scalar, BestKernelPath()}) {
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

}  // namespace
}  // namespace ciphora
