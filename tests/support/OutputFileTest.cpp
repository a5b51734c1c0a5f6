#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "common/SystemTestSupport.h"
#include "common/TestPlatform.h"
#include "support/OutputFile.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace ciphora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(OutputFile, ARegularFileIsReplacedWholeAndANewOneAppearsAtCommit) {
    TempDir dir;
    WriteFile(dir.Path() / "old.txt", "old");
    {
        OutputFile output(dir.File("old.txt"));
        EXPECT_TRUE(output.Replaces());
        output.Sink().Write("new");
        EXPECT_EQ(ReadFile(dir.Path() / "old.txt"), "old");
        output.Commit();
    }
    EXPECT_EQ(ReadFile(dir.Path() / "old.txt"), "new");
    {
        OutputFile output(dir.File("new.txt"));
        EXPECT_TRUE(output.Replaces());
        output.Sink().Write("first");
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.txt"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.txt")) << "nothing without Commit";
}

TEST(OutputFile, AFolderIsRefused) {
    TempDir dir;
    try {
        OutputFile output(dir.Path().string());
        ADD_FAILURE() << "a folder was taken as an output";
    } catch (const WriteFailure& failure) {
        EXPECT_EQ(failure.Number(), kPathFileAccessError);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
}

#ifdef _WIN32

TEST(OutputFile, DeviceNamesAreWrittenInPlace) {
    TempDir dir;
    for (const std::string& name : std::vector<std::string>{"NUL", "nul.txt", "NUL:", dir.File("nul"), "\\\\.\\NUL"}) {
        OutputFile output(name);
        EXPECT_FALSE(output.Replaces()) << name;
        output.Sink().Write("into nothing");
        output.Commit();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no file stands in for the device";
}

#else

void WriteWhole(const std::string& path, const std::string& contents) {
    OutputFile output(path);
    output.Sink().Write(contents);
    output.Commit();
}

// What a target is made of in a temporary folder, and what writing to it
// must leave.
class SpecialTargets : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir.File(name); }
    void Link(const std::string& name, const std::string& to) const {
        std::filesystem::create_symlink(to, dir.Path() / name);
    }
    // Writes `text` to `name` while a reader takes what the FIFO "fifo" passes on.
    std::string ThroughFifo(const std::string& name, const std::string& text) const {
        std::future<std::string> reader = std::async(std::launch::async, [this] { return ReadFile(Path("fifo")); });
        WriteWhole(Path(name), text);
        return reader.get();
    }

    TempDir dir;
};

TEST_F(SpecialTargets, AFifoIsWrittenInPlaceDirectlyOrThroughLinks) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    Link("link", "fifo");
    Link("link-to-link", Path("link"));
    for (const std::string name : {"fifo", "link", "link-to-link"}) {
        EXPECT_EQ(ThroughFifo(name, "text for " + name), "text for " + name);
        EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo"))) << name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link")));
}

TEST_F(SpecialTargets, DevicesAreWrittenAndKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may make device nodes";
    ASSERT_EQ(::mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(Path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    Link("to-null", "null");
    for (const std::string name : {"null", "to-null"}) EXPECT_NO_THROW(WriteWhole(Path(name), "gone")) << name;
    try {
        WriteWhole(Path("full"), "no room");
        ADD_FAILURE() << "a full device took the text";
    } catch (const WriteFailure& failure) {
        EXPECT_EQ(failure.Number(), kDiskFull);
        EXPECT_EQ(failure.SystemText(), "No space left on device");
    }
    for (const std::string name : {"null", "full"}) EXPECT_TRUE(std::filesystem::is_character_file(Path(name))) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3) << "no temporary file is left";
}

TEST_F(SpecialTargets, ADescriptorOfThisProcessIsWrittenWhereItStands) {
    WriteFile(dir.Path() / "log", "before\n");
    const int descriptor = ::open(Path("log").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(descriptor, 0);
    const std::string fd = std::to_string(descriptor);
    Link("through-proc", "/proc/self/fd/" + fd);
    for (const std::string& name : {"/proc/self/fd/" + fd, "/dev/fd/" + fd, Path("through-proc")}) {
        OutputFile output(name);
        EXPECT_FALSE(output.Replaces()) << name;
        output.Sink().Write(name + "\n");
        output.Commit();
    }
    ::close(descriptor);
    // Appended, as the descriptor was opened to do, not replaced.
    EXPECT_EQ(ReadFile(dir.Path() / "log"),
              "before\n/proc/self/fd/" + fd + "\n/dev/fd/" + fd + "\n" + Path("through-proc") + "\n");
}

TEST_F(SpecialTargets, ADanglingLinkIsWrittenThroughAndALoopIsRefused) {
    std::filesystem::create_directory(dir.Path() / "real");
    Link("dangling", "real/new.txt");
    Link("to-file", Path("real/old.txt"));
    WriteFile(dir.Path() / "real" / "old.txt", "old");
    WriteWhole(Path("dangling"), "created");
    WriteWhole(Path("to-file"), "replaced");
    EXPECT_EQ(ReadFile(dir.Path() / "real" / "new.txt"), "created");
    EXPECT_EQ(ReadFile(dir.Path() / "real" / "old.txt"), "replaced");
    EXPECT_TRUE(std::filesystem::is_symlink(Path("dangling")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("to-file")));

    Link("loop-a", "loop-b");
    Link("loop-b", "loop-a");
    try {
        WriteWhole(Path("loop-a"), "lost");
        ADD_FAILURE() << "a loop of links was written";
    } catch (const WriteFailure& failure) {
        EXPECT_EQ(failure.SystemText(), "Too many levels of symbolic links");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(Path("loop-a")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("loop-b")));
}

#endif

}  // namespace
}  // namespace ciphora
