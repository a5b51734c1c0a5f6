#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "common/ChildProcess.h"
#include "common/TestPlatform.h"
#include "support/SystemFile.h"
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
        {"x trapped error y", 3}, {"Verbindung weg", 3},   {"an illegal name", 3},
        {"noch nicht getan", 2},  {"NOCH NICHT GETAN", 3}, {"datei existiert nicht", 3},
        {"INFO: started", 2},     {"info: started", 3},    {"anything else", 3},
        {"INFO noch", 2},         {"INFO illegal", 3},     {"existiert nicht noch nicht getan", 2},
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

// Another writer: holds the log's lock through a file of its own for
// `hold`, from the moment it is constructed.
class OtherWriter {
public:
    OtherWriter(const std::string& path, std::chrono::milliseconds hold)
        : holder_([this, path, hold] {
              SystemFile log = SystemFile::OpenForAppending(path);
              const bool locked = log.TryLock();
              {
                  const std::lock_guard<std::mutex> guard(mutex_);
                  state_ = locked ? State::Holding : State::Failed;
              }
              changed_.notify_all();
              std::this_thread::sleep_for(hold);
          }) {
        std::unique_lock<std::mutex> guard(mutex_);
        changed_.wait(guard, [this] { return state_ != State::Starting; });
    }
    ~OtherWriter() { holder_.join(); }

    bool Holds() const { return state_ == State::Holding; }

private:
    enum class State { Starting, Holding, Failed };
    std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Starting;
    std::thread holder_;
};

TEST(FWriteLog, WaitsForAWriterThatHoldsTheLockBriefly) {
    TestPlatform platform;
    {
        const OtherWriter other(platform.directory.File("VbAppErrorLog.txt"), std::chrono::milliseconds(300));
        ASSERT_TRUE(other.Holds());
        FWriteLog("patient", "");
    }
    EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>{"patient"}));
    EXPECT_EQ(platform.beeps, 0);
}

TEST(FWriteLog, GivesUpWithABeepWhenTheLockIsHeldTooLong) {
    TestPlatform platform;
    {
        const OtherWriter other(platform.directory.File("VbAppErrorLog.txt"), std::chrono::milliseconds(3500));
        ASSERT_TRUE(other.Holds());
        FWriteLog("dropped", "");
    }
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
    {
        // Each writer is a process of its own, as concurrent runs are.
        std::vector<std::unique_ptr<testing::ChildProcess>> writers;
        writers.reserve(kWriters);
        for (int writer = 0; writer < kWriters; ++writer)
            writers.push_back(std::make_unique<testing::ChildProcess>(
                CIPHORA_LOG_WRITER, std::vector<std::string>{platform.directory.File("VbAppErrorLog.txt"),
                                                             std::to_string(writer), std::to_string(kEntries)}));
        for (const auto& writer : writers) ASSERT_EQ(writer->Wait().status, 0);
    }

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
}

}  // namespace
}  // namespace ciphora
