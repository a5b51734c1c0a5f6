#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/TestPlatform.h"
#include "support/AtomicFileWriter.h"
#include "support/ByteStreams.h"

namespace ciphora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A file source keeps the size its file had when opened: a file that shrinks
// or grows meanwhile is a read failure, wherever it is read.
TEST(FileSource, AFileThatChangesSizeWhileReadFails) {
    TempDir dir;
    const std::string path = dir.File("in.txt");
    char buffer[16];
    {
        WriteFile(path, "0123456789");
        const ReadOnlyFile file(path);
        const FileSource source(file);
        EXPECT_EQ(source.ReadAt(4, buffer, sizeof buffer), 6u);
        EXPECT_EQ(std::string(buffer, 6), "456789");
        EXPECT_EQ(source.ReadAt(10, buffer, sizeof buffer), 0u);
        std::filesystem::resize_file(path, 5);
        EXPECT_THROW(source.ReadAt(4, buffer, sizeof buffer), ReadFailure) << "shrunk";
    }
    {
        WriteFile(path, "0123456789");
        const ReadOnlyFile file(path);
        FileSource source(file);
        EXPECT_NO_THROW(source.CheckEnd());
        WriteFile(path, "0123456789 and more");
        EXPECT_THROW(source.CheckEnd(), ReadFailure) << "grown";
        SourceFrom rest(source, 8);
        EXPECT_EQ(rest.Read(buffer, sizeof buffer), 2u) << "read to the size it had";
        EXPECT_THROW(rest.Read(buffer, sizeof buffer), ReadFailure) << "and no further";
    }
}

// Blocks written at their places from several threads, out of order, and
// a tail written in order after them make the whole file.
TEST(AtomicFileWriter, PiecesWrittenAtTheirPlacesFromSeveralThreadsMakeTheFile) {
    TempDir dir;
    const std::string target = dir.File("out.txt");
    std::string expected;
    for (int i = 0; i < 4000; ++i) expected += std::to_string(i) + ",";
    const std::size_t tail = expected.size() - 1000;
    {
        AtomicFileWriter writer(target);
        std::vector<std::thread> threads;
        for (std::size_t part = 0; part < 4; ++part)
            threads.emplace_back([&, part] {
                for (std::size_t at = (3 - part) * 100; at < tail; at += 400)
                    writer.WriteAt(at, expected.data() + at, std::min<std::size_t>(100, tail - at));
            });
        for (std::thread& thread : threads) thread.join();
        SinkFrom rest(writer, tail);
        rest.Write(expected.substr(tail, 600));
        rest.Write(expected.substr(tail + 600));
        writer.Commit();
    }
    EXPECT_EQ(ReadFile(target), expected);
}

}  // namespace
}  // namespace ciphora
