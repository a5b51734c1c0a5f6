#include "BenchFixture.h"

namespace ciphora {
namespace {

using testing::BenchTest;
using testing::ReadFile;
using testing::WriteFile;

class FileCommandsTest : public BenchTest {
protected:
    FileCommandsTest() {
        std::filesystem::create_directories(drives.Path() / "d" / "dorn");
        cipher.KKey(Form1::kTestKey);
    }
    clsEncrypt cipher;
};

TEST_F(FileCommandsTest, EncryptFileWritesToTheFixedOutput) {
    WriteFile(AppPath("plain.txt"), "plain text\r\n");
    form.RichTextBox1->SetText("  " + AppPath("plain.txt") + "  ");
    Click(form.Command11);
    EXPECT_EQ(form.RichTextBox1->Text(), "0");
    EXPECT_EQ(ReadFile(DrivePath("d/dorn/output.txt")), cipher.EncryptString("plain text\r\n"));
    EXPECT_EQ(form.Text2->text(), "12");
    ExpectSettled();
}

TEST_F(FileCommandsTest, EncryptFileThenDeEncryptFileInPlace) {
    WriteFile(DrivePath("d/dorn/output.txt"), "short ASCII text");
    form.RichTextBox1->SetText("");
    Click(form.Command11);
    EXPECT_EQ(ReadFile(DrivePath("d/dorn/output.txt")), cipher.EncryptString("short ASCII text"));
    form.RichTextBox1->SetText("");
    Click(form.Command12);
    EXPECT_EQ(form.RichTextBox1->Text(), "0");
    EXPECT_EQ(ReadFile(DrivePath("d/dorn/output.txt")), "short ASCII text");
    ExpectSettled();
}

TEST_F(FileCommandsTest, EncryptFileShowsTheResultOfAFailure) {
    form.RichTextBox1->SetText(AppPath("missing.txt"));
    Click(form.Command11);
    EXPECT_EQ(form.RichTextBox1->Text(), "1");
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{"input file does not exist!: " + AppPath("missing.txt")});
}

TEST_F(FileCommandsTest, EncFileAndDeEncFileUseTheApplicationDirectory) {
    WriteFile(AppPath("input.txt"), "enc file");
    Click(form.Command18);
    EXPECT_EQ(ReadFile(AppPath("output.txt")), cipher.EncryptString("enc file"));
    EXPECT_EQ(form.Text2->text(), "");
    ExpectSettled();

    std::filesystem::create_directory(AppPath("output"));
    std::filesystem::create_directory(AppPath("input"));
    WriteFile(AppPath("output/output"), cipher.EncryptString("deenc file"));
    Click(form.Command19);
    EXPECT_EQ(ReadFile(AppPath("input/input")), "deenc file");
    ExpectSettled();
}

TEST_F(FileCommandsTest, Command20AppendsAtMost7870Bytes) {
    std::filesystem::create_directory(AppPath("output"));
    std::filesystem::create_directory(AppPath("input"));
    struct Case {
        std::size_t inputSize;
        int clicks;
        std::size_t appended;
    };
    const Case cases[] = {{10000, 1, 7870}, {0, 1, 0}, {5, 2, 10}};
    for (const Case& c : cases) {
        const std::string input = testing::RandomBytes(c.inputSize, 2);
        WriteFile(AppPath("input/input"), input);
        WriteFile(AppPath("output/output"), "start");
        for (int i = 0; i < c.clicks; ++i) Click(form.Command20);
        std::string expected = "start";
        for (int i = 0; i < c.clicks; ++i) expected += input.substr(0, 7870);
        EXPECT_EQ(ReadFile(AppPath("output/output")), expected) << c.inputSize;
        EXPECT_EQ(expected.size(), 5 + c.appended);
        ExpectSettled();
    }
}

TEST_F(FileCommandsTest, Command20WithoutItsFoldersWritesNothing) {
    Click(form.Command20);
    EXPECT_FALSE(std::filesystem::exists(AppPath("output")));
    EXPECT_EQ(form.Text2->text(), "");
    ExpectSettled();
}

}  // namespace
}  // namespace ciphora
