#include <gtest/gtest.h>

#include <array>

#include "cipher/CipherKey.h"
#include "cipher/CipherText.h"
#include "cipher/clsEncrypt.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::TestPlatform;

TEST(KeyCheck, ReadsGroupsLenientlyAndRefusesInOrder) {
    struct Case {
        const char* key;
        const char* refusal;  // empty when accepted
        std::array<int, 5> values;
    };
    const Case cases[] = {
        {"007032209004188", "", {7, 32, 209, 4, 188}},
        {" 12032209004188", "", {12, 32, 209, 4, 188}},
        {"&HF032209004188", "", {15, 32, 209, 4, 188}},
        {"1E2032209004188", "", {100, 32, 209, 4, 188}},
        {"ABC032209004188", "", {0, 32, 209, 4, 188}},
        {"1 2032209004188", "", {12, 32, 209, 4, 188}},
        {"2.5032209004188", "", {2, 32, 209, 4, 188}},
        {"3.5032209004188", "", {4, 32, 209, 4, 188}},
        {"000000000000000", "", {0, 0, 0, 0, 0}},
        {"255255255255255", "", {255, 255, 255, 255, 255}},
        {"1170322090041889", "", {117, 32, 209, 4, 188}},
        {"-01032209004188", "Key 1 outside Range!", {}},
        {"9E9032209004188", "Key 1 outside Range!", {}},
        {"117256209256188", "Key 2 outside Range!", {}},
        {"117032209004256", "Key 5 outside Range!", {}},
        {"11703220900418", "No Key Provided!", {}},
        {"", "No Key Provided!", {}},
    };
    for (const Case& c : cases) {
        const KeyCheck check = CheckKey(c.key);
        EXPECT_EQ(check.refusal, c.refusal) << c.key;
        if (*c.refusal == '\0') {
            ASSERT_TRUE(check.key) << c.key;
            for (int i = 0; i < 5; ++i) EXPECT_EQ(check.key->values[i], c.values[i]) << c.key << " group " << i;
        } else {
            EXPECT_FALSE(check.key) << c.key;
        }
    }
}

TEST(KeyCheck, StringOperationsTrimKKeyAndLogTheRefusal) {
    struct Case {
        const char* key;
        const char* storedAfter;
        const char* logged;  // empty when accepted
    };
    const Case cases[] = {
        {"  117032209004188  ", "117032209004188", ""},
        {"               ", "", "No Key Provided!"},
        {" 11703220900418 ", "11703220900418", "No Key Provided!"},
        {"\t 7032209004188 ", "\t 7032209004188", ""},
        {"117256209256188", "117256209256188", "Key 2 outside Range!"},
    };
    for (const Case& c : cases) {
        for (bool encipher : {true, false}) {
            TestPlatform platform;
            clsEncrypt cipher;
            cipher.KKey(c.key);
            const std::string result = encipher ? cipher.EncryptString("abc") : cipher.DeEncryptString("123045067");
            EXPECT_EQ(cipher.KKey(), c.storedAfter);
            if (*c.logged == '\0') {
                EXPECT_FALSE(result.empty()) << c.key;
                EXPECT_EQ(platform.Log(), "");
            } else {
                EXPECT_EQ(result, "");
                EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>{c.logged}));
            }
        }
    }
}

TEST(ZeroPad3, PadsToThreeCharactersOrGivesNothing) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "000"}, {7, "007"},  {42, "042"},  {255, "255"}, {999, "999"},
        {1000, ""}, {-5, "0-5"}, {-42, "-42"}, {-100, ""},
    };
    for (auto [n, text] : cases) EXPECT_EQ(ZeroPad3(n), text) << n;
}

// The schedule exactly as the odometer turns, one character at a time.
class Odometer {
public:
    explicit Odometer(const CipherKey& key) : key_(key) {
        for (int i = 0; i < 5; ++i) counters_[i] = static_cast<Byte>(key.values[i] + 1);
    }
    StageOffsets Advance() {
        for (int i = 0; i < 5; ++i) {
            counters_[i] = static_cast<Byte>(counters_[i] + 1);
            if (counters_[i] != key_.values[i]) break;
        }
        StageOffsets offsets;
        offsets.values = counters_;
        return offsets;
    }

private:
    CipherKey key_;
    std::array<Byte, 5> counters_{};
};

TEST(KeySchedule, DirectPositionsAgreeWithTheTurningOdometer) {
    const CipherKey keys[] = {
        {{0, 0, 0, 0, 0}}, {{255, 255, 255, 255, 255}}, {{117, 32, 209, 4, 188}}, {{1, 254, 0, 255, 7}}};
    for (const CipherKey& key : keys) {
        Odometer odometer(key);
        const KeySchedule schedule(key);
        // Far enough for C4 to turn once.
        for (std::uint64_t position = 1; position <= (1u << 24) + 300; ++position) {
            const StageOffsets expected = odometer.Advance();
            const StageOffsets actual = schedule.At(position);
            if (expected.values != actual.values) {
                FAIL() << "position " << position << " key " << int(key.values[0]);
            }
        }
    }
}

TEST(KeySchedule, FirstCharacterAndTheFirstCarry) {
    const CipherKey key{{117, 32, 209, 4, 188}};
    const KeySchedule schedule(key);
    EXPECT_EQ(schedule.At(1).values, (std::array<Byte, 5>{119, 33, 210, 5, 189}));
    EXPECT_EQ(schedule.At(254).values[1], 33);
    EXPECT_EQ(schedule.At(255).values, (std::array<Byte, 5>{117, 34, 210, 5, 189}));
    EXPECT_EQ(schedule.At(511).values[1], 35);
}

}  // namespace
}  // namespace ciphora
