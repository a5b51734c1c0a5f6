#include <gtest/gtest.h>

#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/ReferenceCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::RandomBytes;
using testing::TestPlatform;

using testing::KeyedCipher;
using testing::kTestKey;

std::string RemoveLineBreaks(std::string text) {
    std::erase(text, '\r');
    std::erase(text, '\n');
    return text;
}

TEST(DeEncryptString, RoundTripsEveryByteAtEveryLength) {
    for (std::size_t n : {0u, 1u, 19u, 20u, 21u, 20000u, 20001u, 62001u, 140000u}) {
        TestPlatform platform;
        std::string plain = RandomBytes(n, static_cast<unsigned>(n) + 11);
        if (n >= 4) plain.replace(0, 4, std::string("\0\r\n ", 4));
        clsEncrypt cipher = KeyedCipher();
        EXPECT_EQ(cipher.DeEncryptString(cipher.EncryptString(plain)), plain) << n;
        EXPECT_EQ(platform.eventPasses, static_cast<int>(n >= 20020 ? (n - 20020) / 20000 + 1 : 0)) << n;
    }
}

TEST(DeEncryptString, LineLayoutDoesNotMatter) {
    TestPlatform platform;
    const std::string plain = "  Spaces at both ends survive  ";
    clsEncrypt cipher = KeyedCipher();
    const std::string text = cipher.EncryptString(plain);
    std::string spaced;
    for (char c : RemoveLineBreaks(text)) {
        spaced += c;
        if (spaced.size() % 4 == 3) spaced += " ";
    }
    EXPECT_EQ(cipher.DeEncryptString(RemoveLineBreaks(text)), plain);
    EXPECT_EQ(cipher.DeEncryptString(spaced), plain);
    EXPECT_EQ(cipher.DeEncryptString("xx" + text + "yy"), plain);
}

TEST(DeEncryptString, AgreesWithTheStepByStepModelOnAnyText) {
    TestPlatform platform;
    clsEncrypt cipher = KeyedCipher();
    const testing::ReferenceCipher model(cipher.Tables(), *CheckKey(kTestKey).key);
    const std::string texts[] = {"12",      "1234", "999000300",  "ab1c2d3e4f5",
                                 "0000000", "9",    "12 34 56 7", RandomBytes(5000, 9)};
    for (const std::string& text : texts) EXPECT_EQ(cipher.DeEncryptString(text), model.Decrypt(text)) << text;
}

TEST(DeEncryptString, CodesAboveRangeAreReducedAndEachReductionLogged) {
    struct Case {
        const char* code;
        const char* same;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"300", "044", {"lngascii>255300"}},
        {"999", "231", {"lngascii>255999", "lngascii>255743", "lngascii>255487"}},
        {"256", "000", {"lngascii>255256"}},
        {"255", "255", {}},
    };
    for (const Case& c : cases) {
        TestPlatform platform;
        clsEncrypt cipher = KeyedCipher();
        const std::string reduced = cipher.DeEncryptString(c.code);
        EXPECT_EQ(platform.LogMessages(), c.logged) << c.code;
        EXPECT_EQ(reduced, cipher.DeEncryptString(c.same)) << c.code;
        EXPECT_EQ(reduced.size(), 1u);
    }
}

TEST(DeEncryptString, StrayDigitsCountOnlyWhileTheLengthAdmitsAnotherCode) {
    TestPlatform platform;
    clsEncrypt cipher = KeyedCipher();
    const std::string text = cipher.EncryptString(std::string(20, 'q'));
    EXPECT_EQ(cipher.DeEncryptString(text + "12").size(), 21u);
    EXPECT_EQ(cipher.DeEncryptString("12"), "");
    EXPECT_EQ(cipher.DeEncryptString("12345"), cipher.DeEncryptString("123"));
    EXPECT_EQ(cipher.DeEncryptString("123456").size(), 2u);
    EXPECT_EQ(cipher.DeEncryptString("letters only, no codes"), "");
}

TEST(DeEncryptString, FiguresCountAThirdOfTheCipherText) {
    TestPlatform platform;
    platform.monotonicReadings = {10.0, 11.5};
    clsEncrypt cipher = KeyedCipher();
    cipher.DeEncryptString("1234567");
    EXPECT_EQ(cipher.StringLen(), 2);
    EXPECT_EQ(cipher.Sseconds(), 1);
    EXPECT_EQ(cipher.SecsPerMeg(), 642857);  // 1.5 s x 3,000,000 / 7
}

TEST(DeEncryptString, FortyCharactersReadBackAsFortyOne) {
    TestPlatform platform;
    clsEncrypt cipher = KeyedCipher();
    cipher.DeEncryptString(cipher.EncryptString(std::string(40, 'z')));
    EXPECT_EQ(cipher.StringLen(), 41);
}

TEST(DeEncryptString, EmptyInputSetsLengthAndSecondsButKeepsTheRate) {
    TestPlatform platform;
    platform.monotonicReadings = {0.0, 1.25};
    clsEncrypt cipher = KeyedCipher();
    cipher.SecsPerMeg(5);
    EXPECT_EQ(cipher.DeEncryptString(""), "");
    EXPECT_EQ(cipher.StringLen(), 0);
    EXPECT_EQ(cipher.Sseconds(), 1);
    EXPECT_EQ(cipher.SecsPerMeg(), 5);
}

TEST(DeEncryptString, AWrongKeyGarblesWithoutComplaint) {
    TestPlatform platform;
    clsEncrypt writer = KeyedCipher();
    clsEncrypt reader = KeyedCipher("117032209004189");
    const std::string plain = "secret message";
    const std::string garbled = reader.DeEncryptString(writer.EncryptString(plain));
    EXPECT_EQ(garbled.size(), plain.size());
    EXPECT_NE(garbled, plain);
    EXPECT_EQ(platform.Log(), "");
}

}  // namespace
}  // namespace ciphora
