#include <gtest/gtest.h>

#include "common/SystemTestSupport.h"
#include "common/TestPlatform.h"
#include "support/AtomicFileWriter.h"
#include "support/DirectorySearch.h"
#include "support/RichTextBox.h"
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace ciphora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::size_t EntriesIn(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

std::vector<std::string> VisibleFiles(const TempDir& dir) {
    std::vector<std::string> names;
    DirectorySearch search(dir.File("*"));
    while (auto name = search.Next()) names.push_back(*name);
    return names;
}

TEST(AtomicFileWriter, CommitReplacesTheTargetWhole) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    {
        AtomicFileWriter writer(target);
        writer.Write("new ");
        EXPECT_EQ(ReadFile(target), "old");
        EXPECT_EQ(VisibleFiles(dir), std::vector<std::string>{"out.txt"}) << "the temporary file is hidden";
        writer.Write("contents");
        writer.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(VisibleFiles(dir), std::vector<std::string>{"out.txt"}) << "the new file is an ordinary one";
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(AtomicFileWriter, ANewTargetAppearsOnlyAtCommit) {
    TempDir dir;
    const std::string target = dir.File("new.txt");
    {
        AtomicFileWriter writer(target);
        writer.Write("first contents");
        EXPECT_TRUE(VisibleFiles(dir).empty());
        writer.Commit();
    }
    EXPECT_EQ(ReadFile(target), "first contents");
    EXPECT_EQ(VisibleFiles(dir), std::vector<std::string>{"new.txt"});
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(AtomicFileWriter, AReplacedFileKeepsItsPermissions) {
    SKIP_ON_WINDOWS("Windows files carry no permission bits; the replacement keeps the target's security");
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    const auto kept =
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read;
    std::filesystem::permissions(target, kept);
    AtomicFileWriter writer(target);
    writer.Write("new");
    writer.Commit();
    EXPECT_EQ(std::filesystem::status(target).permissions(), kept);
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
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process limit on the size of the files a process writes";
#else
    TempDir dir;
    const std::string target = dir.File("out.txt");
    WriteFile(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::all & ~std::filesystem::perms::owner_exec &
                                             ~std::filesystem::perms::group_exec &
                                             ~std::filesystem::perms::others_exec);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const int outcome = testing::RunUnprivileged([&] {
        static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));  // the write fails instead of ending the child
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
#endif
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
    WriteFile(dir.Path() / (".out.txt.ciphora-" + std::to_string(testing::CurrentProcessId()) + "-77"),
              "ours, still alive");
    WriteFile(dir.Path() / ".other.txt.ciphora-999999999-0", "another target's");
    RemoveStaleTemporaries(target);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / ".out.txt.ciphora-999999999-0"));
    EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST(RichTextBox, LoadsAndSavesByteForByte) {
    TempDir dir;
    const std::string bytes("a\0b\r\nc\rd\n\xff\x80 ", 12);
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
    const std::pair<std::string, std::int32_t> loads[] = {{dir.File("missing"), kFileNotFound},
                                                          {dir.File("nodir/x"), kPathNotFound},
                                                          {dir.File(""), kPathFileAccessError}};
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

TEST(AtomicFileWriter, AFileThatMayNotBeWrittenIsNotReplaced) {
    testing::TempDir dir;
    const std::string target = dir.File("out.txt");
    testing::WriteFile(target, "protected");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
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
    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace ciphora
