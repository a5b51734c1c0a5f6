#include <gtest/gtest.h>

#include <optional>

#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TestPlatform;
using testing::WriteFile;

using testing::kTestKey;

class FileMethodsTest : public ::testing::Test {
protected:
    FileMethodsTest() { cipher.KKey(kTestKey); }

    std::string Path(const std::string& name) const { return platform.directory.File(name); }

    TestPlatform platform;
    clsEncrypt cipher;
};

TEST_F(FileMethodsTest, FilesGiveWhatTheStringOperationsGive) {
    // Sizes around the streaming blocks as well as the small ones.
    for (std::size_t size : {1u, 20u, 21u, 62001u, (1u << 20) - 1, (1u << 20) + 21, (3u << 20) + 5}) {
        const std::string plain = RandomBytes(size, static_cast<unsigned>(size));
        WriteFile(Path("input.txt"), plain);
        ASSERT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
        const std::string cipherText = ReadFile(Path("output.txt"));
        EXPECT_EQ(cipher.StringLen(), static_cast<std::int32_t>(size));
        ASSERT_EQ(cipherText, cipher.EncryptString(plain)) << size;

        ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("back.txt")), kFileDone);
        EXPECT_EQ(cipher.StringLen(), static_cast<std::int32_t>(cipherText.size() / 3));
        ASSERT_EQ(ReadFile(Path("back.txt")), plain) << size;
    }
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(FileMethodsTest, DecipheringAnyTextMatchesTheStringOperation) {
    const std::string texts[] = {"123", "9999990003001", "1 2 3 4 5 6 7 8 9 0", RandomBytes(70000, 5) + "77"};
    for (const std::string& text : texts) {
        WriteFile(Path("output.txt"), text);
        TestPlatform fileRun;
        ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("input.txt")), kFileDone);
        const std::string fileLog = ReadFile(fileRun.directory.Path() / "VbAppErrorLog.txt");
        TestPlatform stringRun;
        EXPECT_EQ(ReadFile(Path("input.txt")), cipher.DeEncryptString(text));
        EXPECT_EQ(fileLog, ReadFile(stringRun.directory.Path() / "VbAppErrorLog.txt"));
    }
}

TEST_F(FileMethodsTest, SamePathIsReplacedInPlace) {
    const std::string plain = "in place\r\n";
    WriteFile(Path("data.txt"), plain);
    ASSERT_EQ(cipher.EncryptFile(Path("data.txt"), Path("data.txt")), kFileDone);
    EXPECT_EQ(ReadFile(Path("data.txt")), cipher.EncryptString(plain));
    ASSERT_EQ(cipher.DeEncryptFile(Path("data.txt"), Path("data.txt")), kFileDone);
    EXPECT_EQ(ReadFile(Path("data.txt")), plain);
}

TEST_F(FileMethodsTest, FailuresKeepTheOutputAndLogTheirMessage) {
    struct Case {
        const char* name;
        std::optional<std::string> input;
        const char* key;
        std::int32_t result;
        std::string logged;  // followed by the input path where it names one
        bool namesInput;
    };
    const Case cases[] = {
        {"missing input", std::nullopt, kTestKey, kInputMissing, "input file does not exist!: ", true},
        {"blanks only", "     ", kTestKey, kInputBlank, "Error loading file to RichTextBox: ", true},
        {"empty file", "", kTestKey, kInputBlank, "Error loading file to RichTextBox: ", true},
        {"short key", "text", "11703220900418", kKeyRefused, "No Key Provided!", false},
        {"key out of range", "text", "117032209004256", kKeyRefused, "Key 5 outside Range!", false},
    };
    for (const Case& c : cases) {
        for (bool encipher : {true, false}) {
            TestPlatform local;
            const std::string in = local.directory.File("input.txt");
            const std::string out = local.directory.File("output.txt");
            if (c.input) WriteFile(in, *c.input);
            WriteFile(out, "previous");
            clsEncrypt object;
            object.KKey(c.key);
            object.SecsPerMeg(12);
            const std::int32_t result = encipher ? object.EncryptFile(in, out) : object.DeEncryptFile(in, out);
            EXPECT_EQ(result, c.result) << c.name;
            EXPECT_EQ(ReadFile(out), "previous") << c.name;
            EXPECT_EQ(object.SecsPerMeg(), 12) << c.name;
            EXPECT_EQ(local.LogMessages(), (std::vector<std::string>{c.logged + (c.namesInput ? in : "")})) << c.name;
            const auto entries = std::distance(std::filesystem::directory_iterator(local.directory.Path()), {});
            EXPECT_EQ(entries, c.input ? 3 : 2) << c.name << ": input, output and log only";
        }
    }
}

// Deciphering a text that holds no code would leave an empty plain text in
// place of the output; it is refused as the blank input is.
TEST_F(FileMethodsTest, DecipheringATextWithoutACodeIsRefusedLikeABlankOne) {
    for (const std::string text : {"12", "abc", "\r\n", "Dear Bob,\n", "x7"}) {
        TestPlatform local;
        WriteFile(Path("output.txt"), text);
        WriteFile(Path("input.txt"), "previous");
        EXPECT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("input.txt")), kInputBlank) << text;
        EXPECT_EQ(ReadFile(Path("input.txt")), "previous") << text;
        EXPECT_EQ(local.LogMessages(),
                  (std::vector<std::string>{"Error loading file to RichTextBox: " + Path("output.txt")}));
    }
}

TEST_F(FileMethodsTest, LineBreaksAndTabsAloneAreNotBlank) {
    for (const std::string text : {"\r\n\r\n", "\t", " \n "}) {
        WriteFile(Path("input.txt"), text);
        EXPECT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
        EXPECT_EQ(ReadFile(Path("output.txt")), cipher.EncryptString(text));
    }
}

TEST_F(FileMethodsTest, AnInputThatCannotBeReadIsALoadFailure) {
    std::filesystem::create_directory(Path("input.txt"));
    EXPECT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kInputBlank);
    EXPECT_FALSE(std::filesystem::exists(Path("output.txt")));
    EXPECT_EQ(platform.LogMessages().back(), "Error loading file to RichTextBox: " + Path("input.txt"));
}

TEST_F(FileMethodsTest, AnOutputThatCannotBeWrittenIsASaveFailure) {
    WriteFile(Path("input.txt"), "text");
    EXPECT_EQ(cipher.EncryptFile(Path("input.txt"), Path("nodir/output.txt")), kOutputNotSaved);
    std::filesystem::create_directory(Path("output.txt"));
    EXPECT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kOutputNotSaved);
    EXPECT_EQ(platform.LogMessages(),
              (std::vector<std::string>{"Error saving file from RichTextBox: " + Path("nodir/output.txt"),
                                        "Error saving file from RichTextBox: " + Path("output.txt")}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform.directory.Path()), {}), 3);
}

TEST_F(FileMethodsTest, FiguresFollowTheFileLength) {
    WriteFile(Path("input.txt"), std::string(1000, 'a'));
    platform.monotonicReadings = {0.0, 0.5};
    ASSERT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
    EXPECT_EQ(cipher.StringLen(), 1000);
    EXPECT_EQ(cipher.Sseconds(), 0);
    EXPECT_EQ(cipher.SecsPerMeg(), 500);
}

TEST_F(FileMethodsTest, EncipheringYieldsLikeTheStringOperation) {
    WriteFile(Path("input.txt"), std::string(40020, 'a'));
    ASSERT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
    const int fileYields = platform.eventPasses;
    platform.eventPasses = 0;
    cipher.EncryptString(std::string(40020, 'a'));
    EXPECT_EQ(fileYields - 3 * 2, platform.eventPasses);  // the two probes yield three times each
}

}  // namespace
}  // namespace ciphora
