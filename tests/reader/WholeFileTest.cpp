#include "ReaderFixture.h"
#include "support/NumberedFiles.h"
#include "support/RuntimeError.h"

namespace ciphora {
namespace {

using testing::ReaderTest;

class WholeFileTest : public ReaderTest {
protected:
    void Name(const std::string& name) {
        reader.DirectoryName(platform.directory.Path().string() + kPathSeparator);
        reader.FileName(name);
    }
};

TEST_F(WholeFileTest, ReadCompleteDeliversTheWholeFileAndClosesIt) {
    const std::string contents = testing::RandomBytes(150000, 4);
    Write("big", contents);
    Name("big");
    const std::int32_t number = NumberedFiles::FreeFile() + 10;
    EXPECT_EQ(reader.ReadComplete(), 0);
    EXPECT_EQ(reader.OutPutString(), contents);
    EXPECT_THROW(NumberedFiles::Eof(number), RuntimeError);

    // Without clearing the end flag a second read delivers nothing.
    EXPECT_EQ(reader.ReadComplete(), 0);
    EXPECT_EQ(reader.OutPutString(), "");
    reader.IsEndOfFile(0);
    EXPECT_EQ(reader.ReadComplete(), 0);
    EXPECT_EQ(reader.OutPutString(), contents);
}

TEST_F(WholeFileTest, ReadCompleteOfEmptyAndMissingFiles) {
    Write("empty", "");
    Name("empty");
    EXPECT_EQ(reader.ReadComplete(), 0);
    EXPECT_EQ(reader.OutPutString(), "");

    clsFileRead other;
    other.DirectoryName(platform.directory.Path().string());
    other.FileName("missing");
    EXPECT_EQ(other.ReadComplete(), -1);
    EXPECT_EQ(platform.LogMessages(), std::vector<std::string>{"clsFileRead.OpenFile-Not Found: " + Path("missing")});
}

TEST_F(WholeFileTest, LoadFileOutputStringThenLinesInOrder) {
    Write("lines", "first\r\n\r\nthird\r\nlast");
    Name("lines");
    reader.BigStringPointer(40);
    EXPECT_EQ(reader.LoadFileOutputString(), 0);
    EXPECT_EQ(reader.BigStringPointer(), 1);
    std::vector<std::string> lines;
    while (reader.BigStringPointer() <= static_cast<std::int32_t>(reader.OutPutString().size())) {
        reader.ReadLineCrLf();
        lines.push_back(reader.LineString());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "", "third", "last"}));
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(WholeFileTest, LoadFileOutputStringOfAMissingFile) {
    Name("missing");
    reader.OutPutString("stale");
    EXPECT_EQ(reader.LoadFileOutputString(), 0);
    EXPECT_EQ(reader.OutPutString(), "");
    EXPECT_EQ(reader.BigStringPointer(), 1);
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{"clsFileRead.LoadFileOutputString-File not exist: " + Path("missing")});
}

TEST_F(WholeFileTest, SlowLoadsAreLoggedWithTheirTime) {
    Write("slow", "text");
    Name("slow");
    platform.timerReadings = {100.0f, 101.5f, 101.75f};
    EXPECT_EQ(reader.LoadFileOutputString(), 0);
    EXPECT_EQ(reader.OutPutString(), "text");
    EXPECT_EQ(platform.LogMessages(), std::vector<std::string>{"clsFileRead.LoadFileOutputString-Time to Load: 1.75"});

    testing::TestPlatform fast;
    fast.timerReadings = {100.0f, 101.0f};
    testing::WriteFile(fast.directory.Path() / "fast", "text");
    clsFileRead other;
    other.FileName(fast.directory.File("fast"));
    EXPECT_EQ(other.LoadFileOutputString(), 0);
    EXPECT_EQ(fast.Log(), "");
}

TEST_F(WholeFileTest, AFailedLoadIsLoggedWithItsError) {
    std::filesystem::create_directory(Path("folder"));
    Name("folder");
    EXPECT_EQ(reader.LoadFileOutputString(), 0);
    EXPECT_EQ(reader.OutPutString(), "");
    EXPECT_EQ(platform.LogMessages().back(),
              "clsFileRead.LoadFileOutputString-Error .LoadFile: " + Path("folder") + " 75 Path/File access error");
}

TEST_F(WholeFileTest, LoadFileRtbReportsWhetherTheLoadWorked) {
    Write("there", "text");
    Name("there");
    EXPECT_EQ(reader.LoadFileRtb(), 0);
    EXPECT_EQ(reader.OutPutString(), "");
    Name("missing");
    EXPECT_EQ(reader.LoadFileRtb(), 53);
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{"TRAPPED ERROR!: clsFileRead.LoadFileRtb-Error: 53 File not found"});
}

TEST_F(WholeFileTest, ReadNextRtbChunkOnlyWarns) {
    for (int i = 0; i < 2; ++i) EXPECT_EQ(reader.ReadNextRtbChunk(), 0);
    EXPECT_EQ(platform.LogMessages(), (std::vector<std::string>(2, "DANGER!! - this function is now disabled!!!")));
}

}  // namespace
}  // namespace ciphora
