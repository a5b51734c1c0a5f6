#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "cipher/CipherText.h"
#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/ReferenceCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using namespace std::string_literals;
using testing::RandomBytes;
using testing::TestPlatform;

using testing::KeyedCipher;
using testing::kTestKey;

TEST(EncryptString, LayoutIsThreeDigitsPerCharacterTwentyToALine) {
    for (std::size_t n : {0u, 1u, 19u, 20u, 21u, 40u, 20000u, 20001u}) {
        TestPlatform platform;
        clsEncrypt cipher = KeyedCipher();
        const std::string text = cipher.EncryptString(RandomBytes(n, static_cast<unsigned>(n)));
        ASSERT_EQ(text.size(), 3 * n + 2 * ((n + 19) / 20)) << n;
        std::size_t codes = 0;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t lineEnd = text.find("\r\n", at);
            ASSERT_NE(lineEnd, std::string::npos);
            const std::string line = text.substr(at, lineEnd - at);
            const std::size_t lineCodes = line.size() / 3;
            EXPECT_EQ(line.size() % 3, 0u);
            EXPECT_TRUE(lineCodes == 20 || lineEnd + 2 == text.size()) << "short line inside, n = " << n;
            for (std::size_t i = 0; i < line.size(); i += 3) {
                ASSERT_TRUE(std::all_of(line.begin() + i, line.begin() + i + 3, ::isdigit));
                EXPECT_LE(std::stoi(line.substr(i, 3)), 255);
            }
            codes += lineCodes;
            at = lineEnd + 2;
        }
        EXPECT_EQ(codes, n);
    }
}

TEST(EncryptString, AgreesWithTheStepByStepModelAndIsRepeatable) {
    TestPlatform platform;
    const std::string plain = "  The quick brown fox\r\njumps\0over the lazy dog  "s + RandomBytes(300, 1);
    clsEncrypt cipher = KeyedCipher();
    const std::string once = cipher.EncryptString(plain);
    EXPECT_EQ(once, testing::ReferenceCipher(cipher.Tables(), *CheckKey(kTestKey).key).Encrypt(plain));
    EXPECT_EQ(cipher.EncryptString(plain), once);
}

TEST(EncryptString, YieldsOnlyWhenTheStagingBlockOverflows) {
    const std::pair<std::size_t, int> cases[] = {{20000, 0}, {20019, 0}, {20020, 1},
                                                 {40019, 1}, {40020, 2}, {62001, 3}};
    for (auto [n, yields] : cases) {
        TestPlatform platform;
        clsEncrypt cipher = KeyedCipher();
        cipher.EncryptString(std::string(n, 'x'));
        EXPECT_EQ(platform.eventPasses, yields) << n;
    }
}

TEST(EncryptString, FiguresFromTheElapsedTime) {
    TestPlatform platform;
    platform.monotonicReadings = {100.0, 102.75};
    clsEncrypt cipher = KeyedCipher();
    cipher.EncryptString(std::string(1000, 'a'));
    EXPECT_EQ(cipher.StringLen(), 1000);
    EXPECT_EQ(cipher.Sseconds(), 2);
    EXPECT_EQ(cipher.SecsPerMeg(), 2750);
}

TEST(EncryptString, UnderASecondKeepsSsecondsAtZeroButStillGivesARate) {
    TestPlatform platform;
    platform.monotonicReadings = {5.0, 5.5};
    clsEncrypt cipher = KeyedCipher();
    cipher.EncryptString(std::string(4, 'a'));
    EXPECT_EQ(cipher.Sseconds(), 0);
    EXPECT_EQ(cipher.SecsPerMeg(), 125000);
}

TEST(EncryptString, FiguresThatDoNotFitALongAreHeldAtItsLimit) {
    TestPlatform platform;
    platform.monotonicReadings = {0.0, 5000.0};
    clsEncrypt cipher = KeyedCipher();
    cipher.EncryptString("a");
    EXPECT_EQ(cipher.Sseconds(), 5000);
    EXPECT_EQ(cipher.SecsPerMeg(), INT_MAX);
}

TEST(EncryptString, EmptyTextSetsLengthAndSecondsButKeepsTheRate) {
    TestPlatform platform;
    platform.monotonicReadings = {1.0, 3.5};
    clsEncrypt cipher = KeyedCipher();
    cipher.SecsPerMeg(77);
    cipher.StringLen(9);
    EXPECT_EQ(cipher.EncryptString(""), "");
    EXPECT_EQ(cipher.StringLen(), 0);
    EXPECT_EQ(cipher.Sseconds(), 2);
    EXPECT_EQ(cipher.SecsPerMeg(), 77);
}

TEST(EncryptString, RefusedKeyLeavesEveryFigureAlone) {
    TestPlatform platform;
    clsEncrypt cipher = KeyedCipher("117");
    cipher.Sseconds(1);
    cipher.StringLen(2);
    cipher.SecsPerMeg(3);
    EXPECT_EQ(cipher.EncryptString("text"), "");
    EXPECT_EQ(cipher.Sseconds(), 1);
    EXPECT_EQ(cipher.StringLen(), 2);
    EXPECT_EQ(cipher.SecsPerMeg(), 3);
    EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>{"No Key Provided!"}));
}

TEST(clsEncrypt, StoredPropertiesKeepWhatIsWritten) {
    clsEncrypt cipher;
    EXPECT_EQ(cipher.Bbytes(), 0);
    EXPECT_EQ(cipher.KKey(), "");
    cipher.Bbytes(-5);
    cipher.StringIn(" in ");
    cipher.StringOut("out\r\n");
    cipher.FileNameIn("a");
    cipher.FileNameOut("b");
    cipher.KKey(" any text ");
    EXPECT_EQ(cipher.Bbytes(), -5);
    EXPECT_EQ(cipher.StringIn(), " in ");
    EXPECT_EQ(cipher.StringOut(), "out\r\n");
    EXPECT_EQ(cipher.FileNameIn(), "a");
    EXPECT_EQ(cipher.FileNameOut(), "b");
    EXPECT_EQ(cipher.KKey(), " any text ");
}

}  // namespace
}  // namespace ciphora
