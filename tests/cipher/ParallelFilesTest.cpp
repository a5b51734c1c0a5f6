#include <gtest/gtest.h>

#include "cipher/BlockTrust.h"
#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TestPlatform;
using testing::WriteFile;

// Files large enough to be split across the workers.
constexpr std::size_t kLarge = 12u << 20;

class ParallelFilesTest : public ::testing::Test {
protected:
    ParallelFilesTest() { cipher.KKey(testing::kTestKey); }

    std::string Path(const std::string& name) const { return platform.directory.File(name); }

    // Deciphers `text` as a file and as a string; both results and both logs
    // must be the same.
    void ExpectDecipheredAsString(const std::string& text) {
        WriteFile(Path("output.txt"), text);
        ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("input.txt")), kFileDone);
        const std::string fileLog = platform.Log();
        std::filesystem::remove(Path("VbAppErrorLog.txt"));
        EXPECT_EQ(ReadFile(Path("input.txt")), cipher.DeEncryptString(text));
        EXPECT_EQ(fileLog, platform.Log());
        std::filesystem::remove(Path("VbAppErrorLog.txt"));
    }

    TestPlatform platform;
    clsEncrypt cipher;
};

TEST_F(ParallelFilesTest, LargeFilesGiveTheSingleThreadResult) {
    const std::string plain = RandomBytes(kLarge + 7, 1);
    WriteFile(Path("input.txt"), plain);
    ASSERT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
    const std::string cipherText = ReadFile(Path("output.txt"));
    ASSERT_EQ(cipherText, cipher.EncryptString(plain));
    ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("back.txt")), kFileDone);
    EXPECT_EQ(ReadFile(Path("back.txt")), plain);
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(ParallelFilesTest, ADeviationInTheMiddleIsReadDigitByDigitFromThere) {
    const std::string canonical = cipher.EncryptString(RandomBytes(kLarge / 3, 2));
    const std::size_t middle = canonical.size() / 2 / 62 * 62;
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"short line", canonical.substr(0, middle) + "123\r\n" + canonical.substr(middle)},
        {"code above 255", canonical.substr(0, middle) + "777" + canonical.substr(middle + 3)},
        {"reduced codes in two blocks", std::string(canonical).replace(70, 3, "256").replace(middle + 62, 3, "999")},
        {"stray digits at the end", canonical + "42"},
        {"a code above 255 in the last block only", std::string(canonical).replace(canonical.size() - 40, 3, "300")},
        {"a short last line in the last block only", canonical.substr(0, canonical.size() - 8) + "\r\n"},
        {"no line breaks",
         [&] {
             std::string text = canonical.substr(0, 9u << 20);
             std::erase(text, '\r');
             std::erase(text, '\n');
             return text;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectDecipheredAsString(c.text);
    }
}

// Which worker results stand for the single pass, by what the worker found
// and whether its block is the last.
TEST(BlockTrust, OnlyCanonicalUnreportedBlocksStandExceptThatNothingFollowsTheLast) {
    struct Case {
        bool canonical, reduced, last, stands;
    };
    const Case cases[] = {
        {true, false, false, true},   {true, false, true, true},  // canonical, nothing to report
        {false, false, true, true},                               // the last may deviate: nothing follows it
        {false, false, false, false},                             // the next block's first index is unknown
        {true, true, false, false},   {true, true, true, false},  // reports must come in order
        {false, true, false, false},  {false, true, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(block_trust::Stands({c.canonical, c.reduced}, c.last), c.stands)
            << "canonical " << c.canonical << ", reduced " << c.reduced << ", last " << c.last;
}

TEST(BlockTrust, CanonicalLinesHoldTwentyCodesEach) {
    EXPECT_EQ(block_trust::CodesBeforeCanonical(0), 0u);
    EXPECT_EQ(block_trust::CodesBeforeCanonical(kLineLength), kCodesPerLine);
    EXPECT_EQ(block_trust::CodesBeforeCanonical(std::uint64_t{kLineLength} * 16912 * 1000), 20u * 16912 * 1000);
}

}  // namespace
}  // namespace ciphora
