#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "common/TestPlatform.h"
#include "common/Unprivileged.h"
#include "support/AtomicFileWriter.h"
#include "support/RichTextBox.h"

namespace ciphora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::size_t EntriesIn(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

TEST(AtomicFileWriter, CommitReplacesTheTargetWhole) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    chmod(target.c_str(), 0640);
    {
        AtomicFileWriter writer(target);
        writer.Write("new ");
        EXPECT_EQ(ReadFile(target), "old");
        writer.Write("contents");
        writer.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    struct stat info {};
    stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(AtomicFileWriter, WithoutCommitNothingChangesAndNothingIsLeft) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    {
        AtomicFileWriter writer(target);
        writer.Write("partial");
    }
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(AtomicFileWriter, AFailingWriteKeepsTheOldFile) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    chmod(target.c_str(), 0666);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const int outcome = testing::RunUnprivileged([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            AtomicFileWriter writer(target);
            writer.Write(std::string(5000, 'x'));
            writer.Commit();
            return 0;
        } catch (const WriteFailure& failure) {
            return failure.Number() == kDiskFull ? 1 : 2;
        }
    });
    EXPECT_EQ(outcome, 1);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(AtomicFileWriter, MissingDirectoryIsPathNotFound) {
    TempDir dir;
    try {
        AtomicFileWriter writer(dir.File("missing/out.txt"));
        FAIL() << "no failure";
    } catch (const WriteFailure& failure) {
        EXPECT_EQ(failure.Number(), kPathNotFound);
    }
}

TEST(AtomicFileWriter, LeftoversOfDeadWritersAreRemoved) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(dir.Path() / ".out.txt.ciphora-999999999-0", "left by a killed run");
    WriteFile(dir.Path() / (".out.txt.ciphora-" + std::to_string(getpid()) + "-77"), "ours, still alive");
    WriteFile(dir.Path() / ".other.txt.ciphora-999999999-0", "another target's");
    RemoveStaleTemporaries(target);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / ".out.txt.ciphora-999999999-0"));
    EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST(RichTextBox, LoadsAndSavesByteForByte) {
    TempDir dir;
    const std::string bytes("a\0b\r\nc\rd\n\xff\x80 ", 13);
    WriteFile(dir.Path() / "in", bytes);
    RichTextBox box;
    box.LoadFile(dir.File("in"), rtfText);
    EXPECT_EQ(box.Text(), bytes);
    box.Text(box.Text() + "!");
    box.SaveFile(dir.File("out"), rtfText);
    EXPECT_EQ(ReadFile(dir.Path() / "out"), bytes + "!");
}

TEST(RichTextBox, FailuresCarryTheirErrorNumbers) {
    TempDir dir;
    RichTextBox box;
    const std::pair<std::string, std::int32_t> loads[] = {
        {dir.File("missing"), kFileNotFound}, {dir.File("nodir/x"), kPathNotFound}, {dir.File(""), kPathFileAccessError}};
    for (const auto& [path, number] : loads) {
        try {
            box.LoadFile(path, rtfText);
            ADD_FAILURE() << path;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), number) << path;
        }
    }
    EXPECT_THROW(box.SaveFile(dir.File("nodir/x"), rtfText), RuntimeError);
    EXPECT_THROW(box.LoadFile(dir.File("missing"), rtfRTF), RuntimeError);
}

}  // namespace
}  // namespace ciphora

namespace ciphora {
namespace {

TEST(AtomicFileWriter, ALinkIsWrittenThrough) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "real");
    testing::WriteFile(dir.Path() / "real" / "out.txt", "old");
    std::filesystem::create_symlink(dir.Path() / "real" / "out.txt", dir.Path() / "link.txt");
    AtomicFileWriter writer(dir.File("link.txt"));
    writer.Write("new");
    writer.Commit();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.txt"));
    EXPECT_EQ(testing::ReadFile(dir.Path() / "real" / "out.txt"), "new");
}

TEST(AtomicFileWriter, AFileThatMayNotBeWrittenIsNotReplaced) {
    testing::TempDir dir;
    const std::string target = dir.File("out.txt");
    testing::WriteFile(target, "protected");
    chmod(target.c_str(), 0444);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const int outcome = testing::RunUnprivileged([&] {
        try {
            AtomicFileWriter writer(target);
            return 0;
        } catch (const WriteFailure& failure) {
            return failure.Number() == kPermissionDenied ? 1 : 2;
        }
    });
    // Root may write any file; everybody else is refused.
    EXPECT_EQ(outcome, 1);
    EXPECT_EQ(testing::ReadFile(target), "protected");
}

}  // namespace
}  // namespace ciphora
