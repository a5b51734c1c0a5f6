#include <gtest/gtest.h>

#include "common/SystemTestSupport.h"
#include "common/TestPlatform.h"
#include "support/AtomicFileWriter.h"
#include "support/DirectorySearch.h"
#include "support/RichTextBox.h"
#include "support/TemporaryNames.h"
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

#ifndef _WIN32
TEST(AtomicFileWriter, AReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may write another user's file and give it back";
    TempDir dir;
    const std::string target = dir.File("theirs.txt");
    WriteFile(target, "old");
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    AtomicFileWriter writer(target);
    writer.Write("new");
    writer.Commit();
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST(AtomicFileWriter, ANewFileGetsTheModeAskedForOrTheDefaultOne) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    for (const auto& [asked, expected] : {std::pair<std::optional<unsigned>, unsigned>{0600u, 0600u},
                                          std::pair<std::optional<unsigned>, unsigned>{0640u, 0640u},
                                          std::pair<std::optional<unsigned>, unsigned>{std::nullopt, 0644u}}) {
        const std::string target = dir.File("new-" + std::to_string(expected) + (asked ? "" : "-default"));
        AtomicFileWriter writer(target, NewFileTraits{asked, std::nullopt});
        writer.Write("text");
        writer.Commit();
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, expected) << target;
    }
    ::umask(mask);
}
#endif

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

TEST(AtomicFileWriter, LeftoversAreRemovedUnlessTheirWriterStillHoldsThem) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    const std::string dead = ".out.txt.ciphora-0123456789abcdef";
    const std::string alive = ".out.txt.ciphora-fedcba9876543210";
    for (const std::string& name : {dead, alive, std::string(".other.txt.ciphora-0123456789abcdef")})
        WriteFile(dir.Path() / name, "left by a run");
    {
        const testing::HeldAsWriting writing(dir.File(alive));
        AtomicFileWriter writer(target);
        writer.Write("new");
        writer.Commit();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / dead));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / alive)) << "its writer still held it";
    EXPECT_EQ(EntriesIn(dir), 3u) << "the target, the live one and another target's";
    EXPECT_EQ(ReadFile(target), "new");
}

// Temporary names never pass the system's limit of 255 bytes for a name,
// however long the target's name is.
TEST(AtomicFileWriter, TargetsWithNamesUpToTheLimitAreWritten) {
    TempDir dir;
    for (const std::size_t length : {std::size_t{1}, std::size_t{229}, std::size_t{240}, std::size_t{255}}) {
        const std::string name(length, 'n');
        AtomicFileWriter writer(dir.File(name));
        writer.Write(name);
        writer.Commit();
        EXPECT_EQ(ReadFile(dir.Path() / name), name) << length;
    }
    EXPECT_EQ(EntriesIn(dir), 4u);
    // A name is cut before a character that would not fit whole.
    EXPECT_EQ(TemporaryPrefix(std::string(228, 'n') + "\xc3\xa9tail"), "." + std::string(228, 'n') + ".ciphora-");
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
