#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "BatchProgram.h"
#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/SystemTestSupport.h"

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Outcome;
using testing::RandomBytes;
using testing::RunOptions;

constexpr const char* kKey = testing::kTestKey;
using testing::Enciphered;
const std::string kEnc = std::string("ENC") + kKey;
const std::string kDenc = std::string("DENC") + kKey;

bool LeavesTemporaries(const BatchProgram& program) {
    for (const std::string& name : program.Entries())
        if (name.find(".ciphora-") != std::string::npos) return true;
    return false;
}

// Kills runs at random moments: the target is always either what it was or
// the whole new text, and a later run leaves no temporary file behind.
void KillAtRandom(const BatchProgram& program, const std::string& command, const std::string& target,
                  const std::string& previous, const std::string& complete) {
    program.Write(target, previous);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(program.Run({command}).status, 0);
    const auto full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(program.Read(target), complete);

    std::mt19937 random(7);
    int interrupted = 0;
    for (int attempt = 0; attempt < 25; ++attempt) {
        program.Write(target, previous);
        RunOptions options;
        options.killAfter = std::chrono::microseconds(random() % (full.count() + 1));
        const Outcome outcome = program.Run({command}, options);
        interrupted += outcome.status == testing::kKilledStatus;
        const std::string now = program.Read(target);
        ASSERT_TRUE(now == previous || now == complete) << "attempt " << attempt << ": " << now.size() << " bytes";
    }
    EXPECT_GT(interrupted, 0);
    program.Write(target, previous);
    ASSERT_EQ(program.Run({command}).status, 0);
    EXPECT_EQ(program.Read(target), complete);
    EXPECT_FALSE(LeavesTemporaries(program));
}

TEST(Reliability, KilledRunsNeverLeaveAHalfWrittenFile) {
    const BatchProgram program;
    const std::string plain = RandomBytes(16u << 20, 5);
    const std::string cipherText = Enciphered(plain);
    program.Write("input.txt", plain);
    KillAtRandom(program, kEnc, "output.txt", "previous cipher text", cipherText);
    program.Write("output.txt", cipherText);
    KillAtRandom(program, kDenc, "input.txt", "previous plain text", plain);
}

TEST(Reliability, AnUnwritableDirectoryKeepsTheOldOutput) {
    SKIP_ON_WINDOWS(
        "a folder refuses new files on Windows only through its access control list, which wine does not "
        "enforce; the read-only output case covers the refusal");
    const BatchProgram program;
    program.Write("input.txt", "plain text");
    program.Write("output.txt", "old contents");
    std::filesystem::permissions(program.Directory(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    RunOptions options;
    options.unprivileged = true;
    const Outcome outcome = program.Run({kEnc}, options);
    std::filesystem::permissions(program.Directory(), std::filesystem::perms::all);
    EXPECT_EQ(outcome.status, 73);
    EXPECT_EQ(program.Read("output.txt"), "old contents");
    // The log cannot be written there either: the message is on standard
    // error, followed by the beep of the lost entry.
    EXPECT_EQ(outcome.errors, "Error saving file from RichTextBox: " + program.Path("output.txt") + "\n\a");
    EXPECT_EQ(program.Entries(),
              (std::vector<std::string>{testing::BatchProgram::kExecutableName, "input.txt", "output.txt"}));
}

TEST(Reliability, ALogThatCannotBeOpenedCostsABeepAndNothingElse) {
    const BatchProgram program;
    std::filesystem::create_directory(program.Path("VbAppErrorLog.txt"));
    const Outcome refused = program.Run({"ENC"});
    EXPECT_EQ(refused.status, 64);
    EXPECT_EQ(refused.errors, "Incorrect Key - should be in the form of ENC123456789012345 - 15 digits in length\n\a");

    program.Write("input.txt", "text");
    const Outcome done = program.Run({kEnc});
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(program.Read("output.txt"), Enciphered("text"));
}

TEST(Reliability, HostileCipherTextsEndInTheirDescribedResult) {
    struct Case {
        const char* name;
        std::string text;
        int status;
    };
    std::string randomBytes = RandomBytes(1u << 20, 9);
    std::string digits;
    for (int i = 0; i < (20 << 20); ++i) digits += "123";
    std::string lineBreaks;
    for (int i = 0; i < (5 << 20); ++i) lineBreaks += "\r\n";
    const Case cases[] = {
        {"random bytes", randomBytes, 0},
        {"one gigantic line of digits", digits, 0},
        {"only line breaks, no code", lineBreaks, 65},
        {"empty", "", 65},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BatchProgram program;
        program.Write("output.txt", c.text);
        RunOptions measured;
        measured.measureMemory = true;
        const Outcome outcome = program.Run({kDenc}, measured);
        ASSERT_EQ(outcome.status, c.status);
        if (c.status != 0) {
            EXPECT_FALSE(program.Exists("input.txt"));
            continue;
        }
        testing::TestPlatform inProcess;
        clsEncrypt cipher;
        cipher.KKey(kKey);
        EXPECT_EQ(program.Read("input.txt"), cipher.DeEncryptString(c.text));
        EXPECT_EQ(program.LogMessages(), inProcess.LogMessages());
#if !defined(CIPHORA_SANITIZED) && !defined(CIPHORA_EMULATED)
        if (outcome.peakKiB) {
            EXPECT_LT(*outcome.peakKiB, 64 * 1024);
        }
#endif
    }
}

TEST(Reliability, AFileThatChangesWhileItIsReadIsUnreadable) {
    const BatchProgram program;
    std::string text;
    for (int i = 0; i < (2 << 20); ++i) text += "100101102103104105106107108109110111112113114115116117118119\r\n";
    program.Write("output.txt", text);
    std::atomic<bool> running = true;
    std::thread grower([&] {
        std::ofstream file(program.Path("output.txt"), std::ios::binary | std::ios::app);
        while (running) {
            file.write("123\r\n", 5).flush();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const Outcome outcome = program.Run({kDenc});
    running = false;
    grower.join();
    EXPECT_EQ(outcome.status, 65);
    EXPECT_EQ(program.LogMessages().back(), "Error loading file to RichTextBox: " + program.Path("output.txt"));
    EXPECT_FALSE(program.Exists("input.txt"));
}

TEST(Reliability, ALargeFileOfNulBytesStreamsInFlatMemory) {
    // In memory where the system has such a folder, to spare the disk 4 GiB.
    const BatchProgram program(std::filesystem::exists("/dev/shm") ? "/dev/shm" : "");
    {
        std::ofstream file(program.Path("input.txt"), std::ios::binary);
        const std::string block(1u << 20, '\0');
        for (std::size_t i = 0; i < testing::kLargeStreamMiB; ++i) file << block;
    }
    RunOptions measured;
    measured.measureMemory = true;
    const Outcome enciphered = program.Run({kEnc}, measured);
    ASSERT_EQ(enciphered.status, 0);
    const std::uint64_t size = std::uint64_t{testing::kLargeStreamMiB} << 20;
    EXPECT_EQ(std::filesystem::file_size(program.Path("output.txt")), 3 * size + 2 * ((size + 19) / 20));
    std::filesystem::remove(program.Path("input.txt"));
    const Outcome deciphered = program.Run({kDenc}, measured);
    ASSERT_EQ(deciphered.status, 0);
    EXPECT_EQ(std::filesystem::file_size(program.Path("input.txt")), size);
    std::ifstream back(program.Path("input.txt"), std::ios::binary);
    back.seekg(static_cast<std::streamoff>(size / 2));
    std::string sample(4096, 'x');
    back.read(sample.data(), static_cast<std::streamsize>(sample.size()));
    EXPECT_EQ(sample, std::string(4096, '\0'));
#if !defined(CIPHORA_SANITIZED) && !defined(CIPHORA_EMULATED)
    if (enciphered.peakKiB && deciphered.peakKiB) {
        EXPECT_LT(*enciphered.peakKiB, 32 * 1024);
        EXPECT_LT(*deciphered.peakKiB, 32 * 1024);
    }
#endif
}

}  // namespace
}  // namespace ciphora
