#include <gtest/gtest.h>

#include <random>

#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"
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

// One code by the description: five stages at the offsets of its position.
Byte EncipherOne(const SubstitutionTables& tables, const CipherKey& key, Byte a, std::uint64_t index) {
    const StageOffsets offsets = KeySchedule(key).At(index + 1);
    int v = a;
    for (int stage = 0; stage < kStages; ++stage) v = tables.lngKE((v + offsets.values[stage]) % 256, stage);
    return static_cast<Byte>(v);
}

std::string Encipher(const CipherKernel& kernel, const std::string& plain, std::uint64_t first) {
    std::string out(SpanCipherSize(first, plain.size()), '\0');
    Byte* end = kernel.Encipher(reinterpret_cast<const Byte*>(plain.data()), plain.size(), first,
                                reinterpret_cast<Byte*>(out.data()));
    EXPECT_EQ(end, reinterpret_cast<Byte*>(out.data()) + out.size());
    return out;
}

TEST(CipherKernel, SpansAtAnyPositionMatchThePerCodeDescription) {
    const SubstitutionTables& tables = DefaultSubstitutionTables();
    std::mt19937_64 random(7);
    for (const CipherKey& key : kKeys) {
        const CipherKernel kernel(tables, key);
        for (int trial = 0; trial < 40; ++trial) {
            // Starts near the carries of every counter, and anywhere.
            const std::uint64_t bases[] = {0, 253, 65278, (1ull << 24) - 300, (1ull << 32) - 500, random() >> 20};
            const std::uint64_t first = bases[trial % 6] + random() % 600;
            const std::string plain = RandomBytes(1 + random() % 700, static_cast<unsigned>(trial));
            const std::string cipher = Encipher(kernel, plain, first);

            std::size_t at = 0;
            for (std::size_t i = 0; i < plain.size(); ++i) {
                const int code = EncipherOne(tables, key, static_cast<Byte>(plain[i]), first + i);
                ASSERT_EQ(std::stoi(cipher.substr(at, 3)), code) << "index " << first + i;
                ASSERT_EQ(cipher.substr(at, 3).find_first_not_of("0123456789"), std::string::npos);
                at += 3;
                if ((first + i + 1) % kCodesPerLine == 0) {
                    ASSERT_EQ(cipher.substr(at, 2), "\r\n");
                    at += 2;
                }
            }

            std::string codes(plain.size(), '\0');
            for (std::size_t i = 0; i < plain.size(); ++i)
                codes[i] = static_cast<char>(EncipherOne(tables, key, static_cast<Byte>(plain[i]), first + i));
            std::string back(plain.size(), '\0');
            kernel.Decipher(reinterpret_cast<const Byte*>(codes.data()), codes.size(), first,
                            reinterpret_cast<Byte*>(back.data()));
            ASSERT_EQ(back, plain) << "first " << first;
        }
    }
}

TEST(CipherKernel, WholeTextAgreesWithTheStepByStepModelAcrossCarries) {
    const SubstitutionTables& tables = DefaultSubstitutionTables();
    const std::string plain = RandomBytes(140000, 3);
    for (const CipherKey& key : kKeys) {
        const CipherKernel kernel(tables, key);
        std::string cipher = Encipher(kernel, plain, 0);
        if (plain.size() % kCodesPerLine != 0) cipher += "\r\n";
        EXPECT_EQ(cipher, testing::ReferenceCipher(tables, key).Encrypt(plain));
    }
}

TEST(CipherText, SizesCountDigitsAndLineBreaks) {
    EXPECT_EQ(CipherTextSize(0), 0u);
    EXPECT_EQ(CipherTextSize(1), 5u);
    EXPECT_EQ(CipherTextSize(20), 62u);
    EXPECT_EQ(CipherTextSize(21), 67u);
    EXPECT_EQ(SpanCipherSize(19, 1), 5u);
    EXPECT_EQ(SpanCipherSize(18, 1), 3u);
    EXPECT_EQ(SpanCipherSize(5, 40), 124u);
}

}  // namespace
}  // namespace ciphora
