#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/TestPlatform.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {
namespace {

using testing::ReadFile;
using testing::TestPlatform;

TEST(FWriteLog, WritesOneQuotedStampedEntryWithCrLf) {
    TestPlatform platform;
    FWriteLog("Key 2 outside Range!", "");
    EXPECT_EQ(platform.Log(), "\"Key 2 outside Range! 10.12.2026 09:05:07\"\r\n");
}

TEST(FWriteLog, TrimsBlanksButKeepsTabsQuotesAndLineBreaks) {
    struct Case {
        std::string message;
        std::string entry;
    };
    const Case cases[] = {
        {"  padded  ", "\"padded 10.12.2026 09:05:07\"\r\n"},
        {"", "\" 10.12.2026 09:05:07\"\r\n"},
        {"say \"hi\"", "\"say \"hi\" 10.12.2026 09:05:07\"\r\n"},
        {"\ttab\r\n", "\"\ttab\r\n 10.12.2026 09:05:07\"\r\n"},
    };
    for (const Case& c : cases) {
        TestPlatform platform;
        FWriteLog(c.message, "");
        EXPECT_EQ(platform.Log(), c.entry) << c.message;
    }
}

TEST(FWriteLog, BlankPathMeansDefaultFileAndOtherPathsAreUsedAsGiven) {
    TestPlatform platform;
    FWriteLog("first", "   ");
    FWriteLog("second", "");
    const std::string other = platform.directory.File("other.log");
    FWriteLog("elsewhere", other);
    EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(ReadFile(other), "\"elsewhere 10.12.2026 09:05:07\"\r\n");
}

TEST(FWriteLog, AppendsInCallOrderAndNeverTruncates) {
    TestPlatform platform;
    testing::WriteFile(platform.directory.Path() / "VbAppErrorLog.txt", "older\r\n");
    FWriteLog("one", "");
    FWriteLog("two", "");
    EXPECT_EQ(platform.Log(), "older\r\n\"one 10.12.2026 09:05:07\"\r\n\"two 10.12.2026 09:05:07\"\r\n");
}

TEST(FWriteLog, ExtraEventPassDependsOnTheMessageClass) {
    struct Case {
        const char* message;
        int passes;
    };
    const Case cases[] = {
        {"x trapped error y", 3}, {"Verbindung weg", 3},      {"an illegal name", 3},
        {"noch nicht getan", 2},  {"NOCH NICHT GETAN", 3},    {"datei existiert nicht", 3},
        {"INFO: started", 2},     {"info: started", 3},       {"anything else", 3},
        {"INFO noch", 2},         {"INFO illegal", 3},        {"existiert nicht noch nicht getan", 2},
    };
    for (const Case& c : cases) {
        TestPlatform platform;
        FWriteLog(c.message, "");
        EXPECT_EQ(platform.eventPasses, c.passes) << c.message;
    }
}

TEST(FWriteLog, ShowsEveryMessageTrimmed) {
    TestPlatform platform;
    FWriteLog("  shown  ", "");
    EXPECT_EQ(platform.shown, (std::vector<std::string>{"shown"}));
}

TEST(FWriteLog, MissingDirectoryCostsABeepAndNothingElse) {
    TestPlatform platform;
    FWriteLog("lost", platform.directory.File("missing/log.txt"));
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_FALSE(std::filesystem::exists(platform.directory.Path() / "missing"));
}

// Holds an exclusive lock on `path` in a child process for `hold`.
pid_t LockInChild(const std::string& path, std::chrono::milliseconds hold, int ready[2]) {
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
        flock(fd, LOCK_EX);
        const char go = 1;
        (void)!write(ready[1], &go, 1);
        std::this_thread::sleep_for(hold);
        _exit(0);
    }
    char go;
    (void)!read(ready[0], &go, 1);
    return child;
}

TEST(FWriteLog, WaitsForAWriterThatHoldsTheLockBriefly) {
    TestPlatform platform;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = LockInChild(platform.directory.File("VbAppErrorLog.txt"), std::chrono::milliseconds(300), ready);
    FWriteLog("patient", "");
    waitpid(child, nullptr, 0);
    EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>{"patient"}));
    EXPECT_EQ(platform.beeps, 0);
}

TEST(FWriteLog, GivesUpWithABeepWhenTheLockIsHeldTooLong) {
    TestPlatform platform;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = LockInChild(platform.directory.File("VbAppErrorLog.txt"), std::chrono::milliseconds(3500), ready);
    FWriteLog("dropped", "");
    waitpid(child, nullptr, 0);
    EXPECT_EQ(platform.Log(), "");
    EXPECT_EQ(platform.beeps, 1);
}

TEST(TrappedErrorMessage, FollowsTheTrapConvention) {
    EXPECT_EQ(TrappedErrorMessage("mdlFileExist", "FileExist", 70), "TRAPPED ERROR!: mdlFileExist.FileExist-Error: 70");
    EXPECT_EQ(TrappedErrorMessage("clsFileRead", "ReadLineCrLf", 53, "File not found"),
              "TRAPPED ERROR!: clsFileRead.ReadLineCrLf-Error: 53 File not found");
}

}  // namespace
}  // namespace ciphora

namespace ciphora {
namespace {

TEST(FWriteLog, ConcurrentWritersLoseAndInterleaveNothing) {
    testing::TestPlatform platform;
    constexpr int kWriters = 8;
    constexpr int kEntries = 500;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        if (child == 0) {
            for (int entry = 0; entry < kEntries; ++entry)
                FWriteLog("writer " + std::to_string(writer) + " entry " + std::to_string(entry) + " " + std::string(200, 'x'), "");
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);

    const std::vector<std::string> messages = platform.LogMessages();
    ASSERT_EQ(messages.size(), static_cast<std::size_t>(kWriters * kEntries));
    std::vector<int> next(kWriters, 0);
    for (const std::string& message : messages) {
        int writer = -1, entry = -1;
        ASSERT_EQ(std::sscanf(message.c_str(), "writer %d entry %d", &writer, &entry), 2) << message;
        ASSERT_TRUE(writer >= 0 && writer < kWriters);
        EXPECT_EQ(entry, next[writer]++) << "entries of one writer in order";
        EXPECT_TRUE(message.ends_with(" " + std::string(200, 'x')));
    }
    EXPECT_EQ(platform.beeps, 0);
}

}  // namespace
}  // namespace ciphora
