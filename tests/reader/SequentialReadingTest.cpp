#include "ReaderFixture.h"
#include "support/NumberedFiles.h"
#include "support/RuntimeError.h"

namespace ciphora {
namespace {

using testing::ArmedTraps;
using testing::ReaderTest;

TEST_F(ReaderTest, OpenFileJoinsDirectoryAndNameAndKeepsTheSeparator) {
    Write("a.txt", "x");
    reader.DirectoryName(platform.directory.Path().string());
    reader.FileName("a.txt");
    EXPECT_EQ(reader.OpenFile(), 0);
    EXPECT_EQ(reader.DirectoryName(), platform.directory.Path().string() + kPathSeparator);

    clsFileRead whole;
    whole.FileName(Path("a.txt"));
    EXPECT_EQ(whole.OpenFile(), 0);
    EXPECT_EQ(whole.DirectoryName(), "");
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(ReaderTest, OpenFileOfAMissingFileLogsAndReturnsMinusOne) {
    reader.DirectoryName(platform.directory.Path().string());
    reader.FileName("missing.txt");
    EXPECT_EQ(reader.OpenFile(), -1);
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{"clsFileRead.OpenFile-Not Found: " + Path("missing.txt")});
}

TEST_F(ReaderTest, ChunksEndWithTheLastShortOne) {
    struct Case {
        std::size_t size;
        std::vector<std::pair<std::size_t, std::int32_t>> chunks;
    };
    const Case cases[] = {
        {3000, {{1024, 0}, {1024, 0}, {952, -1}, {0, -1}}},
        {2048, {{1024, 0}, {1024, 0}, {0, -1}}},
        {0, {{0, -1}}},
        {5, {{5, -1}}},
    };
    for (const Case& c : cases) {
        clsFileRead fresh;
        const std::string contents = testing::RandomBytes(c.size, 9);
        Write("chunks", contents);
        fresh.FileName(Path("chunks"));
        ASSERT_EQ(fresh.OpenFile(), 0);
        std::string all;
        for (auto [size, status] : c.chunks) {
            EXPECT_EQ(fresh.ReadNext(), status) << c.size;
            EXPECT_EQ(fresh.OutPutString().size(), size) << c.size;
            EXPECT_EQ(fresh.IsEndOfFile(), status == -1 ? 1 : 0) << c.size;
            all += fresh.OutPutString();
        }
        EXPECT_EQ(all, contents);
    }
}

TEST_F(ReaderTest, IsBinaryFollowsTheLastFullChunk) {
    Open("mixed", std::string(600, '\xe9') + std::string(424, 'a') + "tail");
    EXPECT_EQ(reader.ReadNext(), 0);
    EXPECT_TRUE(reader.IsBinary());
    EXPECT_EQ(reader.ReadNext(), -1);  // met the end inside the chunk
    EXPECT_TRUE(reader.IsBinary());
    EXPECT_EQ(reader.ReadNext(), -1);  // already at the end
    EXPECT_FALSE(reader.IsBinary());

    clsFileRead text;
    Write("text", std::string(1024, 'a'));
    text.FileName(Path("text"));
    ASSERT_EQ(text.OpenFile(), 0);
    text.IsBinary(true);
    EXPECT_EQ(text.ReadNext(), 0);
    EXPECT_FALSE(text.IsBinary());
}

TEST_F(ReaderTest, ReadingAnUnopenedFileIsARunTimeErrorOrTrapped) {
    try {
        reader.ReadNext();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), kBadFileNameOrNumber);
    }
    EXPECT_THROW(reader.ReadNextLine1310(), RuntimeError);

    ArmedTraps armed;
    EXPECT_EQ(reader.ReadNext(), kBadFileNameOrNumber);
    EXPECT_EQ(reader.IsEndOfFile(), 1);
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{"TRAPPED ERROR!: clsFileRead.ReadNext-Error: 52 Bad file name or number"});
}

TEST_F(ReaderTest, ReadLineCrLfWalksTheBufferByPosition) {
    reader.OutPutString("ab\r\nc");
    reader.BigStringPointer(1);
    const std::pair<const char*, std::int32_t> steps[] = {{"ab", 5}, {"c", 6}, {"", 6}, {"", 6}};
    for (auto [line, pointer] : steps) {
        EXPECT_EQ(reader.ReadLineCrLf(), 0);
        EXPECT_EQ(reader.LineString(), line);
        EXPECT_EQ(reader.BigStringPointer(), pointer);
    }
    reader.OutPutString("x\r\n\r\ny\r\n");
    reader.BigStringPointer(-4);
    std::vector<std::string> lines;
    while (reader.BigStringPointer() <= static_cast<std::int32_t>(reader.OutPutString().size())) {
        reader.ReadLineCrLf();
        lines.push_back(reader.LineString());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"x", "", "y"}));
    EXPECT_EQ(reader.BigStringPointer(), 9);
}

TEST_F(ReaderTest, BlankDelimitersAreReplacedAndKept) {
    Open("lines", "a\n\nb");
    reader.LineDelimiter(" ");
    EXPECT_EQ(reader.ReadNextLine(), 0);
    EXPECT_EQ(reader.LineDelimiter(), "\n\n");
    EXPECT_EQ(reader.LineString(), "a");

    clsFileRead other;
    other.OutPutString("a\r\nb");
    other.LineDelimiter("");
    EXPECT_EQ(other.ReadNextLine1310(), 0);
    EXPECT_EQ(other.LineDelimiter(), "\r\n");
    EXPECT_EQ(other.LineString(), "a");
}

TEST_F(ReaderTest, TheTrimmedReaderTrimsLineAndRest) {
    const std::string buffer = "  a  \r\n  b";
    reader.OutPutString(buffer);
    EXPECT_EQ(reader.ReadNextLine1310(), 0);
    EXPECT_EQ(reader.LineString(), "a");
    EXPECT_EQ(reader.OutPutString(), "b");

    clsFileRead plain;
    plain.OutPutString(buffer);
    EXPECT_EQ(plain.ReadNextLine(), 0);
    EXPECT_EQ(plain.LineString(), "  a  ");
    EXPECT_EQ(plain.OutPutString(), "  b");
}

// Every line in order, the last one once and whole, then the end state.
std::vector<std::string> AllLines(clsFileRead& reader, bool trimmed) {
    std::vector<std::string> lines;
    for (int guard = 0; guard < 10000; ++guard) {
        const bool ended = reader.IsEndOfFile() == 1 && reader.IsEndOfLine() == 1 && reader.OutPutString().empty();
        EXPECT_EQ(trimmed ? reader.ReadNextLine1310() : reader.ReadNextLine(), 0);
        if (ended) {
            EXPECT_EQ(reader.LineString(), "");
            break;
        }
        lines.push_back(reader.LineString());
    }
    return lines;
}

TEST_F(ReaderTest, LineReadersHandOutEveryLineAcrossChunks) {
    std::string contents;
    std::vector<std::string> expected;
    for (std::size_t length : {0u, 5u, 1500u, 1022u, 3000u, 1u, 40u}) {
        expected.push_back(std::string(length, static_cast<char>('a' + length % 26)));
        contents += expected.back() + "\r\n";
    }
    contents += "last";
    expected.push_back("last");

    Open("lines", contents);
    EXPECT_EQ(AllLines(reader, false), expected);

    clsFileRead trimmed;
    trimmed.FileName(Path("lines"));
    ASSERT_EQ(trimmed.OpenFile(), 0);
    std::vector<std::string> lines = AllLines(trimmed, true);
    // The trimmed reader's first call only fills its buffer when the first
    // chunk is also the last; here it is not, and the empty first line stays.
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(trimmed.IsEndOfFile(), 1);
}

TEST_F(ReaderTest, TheTrimmedReaderStartsWithAnEmptyLineOnAShortFile) {
    Open("short", "one\r\ntwo\r\nthree");
    EXPECT_EQ(reader.ReadNextLine1310(), 0);
    EXPECT_EQ(reader.LineString(), "");
    EXPECT_EQ(reader.IsEndOfLine(), 1);
    std::vector<std::string> lines;
    for (int i = 0; i < 3; ++i) {
        reader.ReadNextLine1310();
        lines.push_back(reader.LineString());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(reader.ReadNextLine1310(), 0);
    EXPECT_EQ(reader.LineString(), "");
}

TEST_F(ReaderTest, ReadNextLineOnANeverOpenedReaderSetsBothFlags) {
    EXPECT_EQ(reader.ReadNextLine(), 0);
    EXPECT_EQ(reader.LineString(), "");
    EXPECT_EQ(reader.IsEndOfLine(), 1);
    EXPECT_EQ(reader.IsEndOfFile(), 1);
}

TEST_F(ReaderTest, EmptyMembersDoNothing) {
    reader.OutPutString("kept");
    for (auto member : {&clsFileRead::LoadFileOutputStringNEW, &clsFileRead::LoadFileOSTILL990907,
                        &clsFileRead::ReadNextTILL99907, &clsFileRead::ReadNextOLD})
        EXPECT_EQ((reader.*member)(), 0);
    EXPECT_EQ(reader.OutPutString(), "kept");
    EXPECT_EQ(platform.eventPasses, 0);
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(ReaderTest, DefaultsAndTheFileIsClosedWithTheReader) {
    EXPECT_EQ(reader.LineDelimiter(), "\r\n");
    EXPECT_EQ(reader.FieldDelimiter(), "\t");
    const std::int32_t number = NumberedFiles::FreeFile() + 10;
    {
        clsFileRead scoped;
        Write("f", "data");
        scoped.FileName(Path("f"));
        ASSERT_EQ(scoped.OpenFile(), 0);
        EXPECT_FALSE(NumberedFiles::Eof(number));
    }
    EXPECT_THROW(NumberedFiles::Eof(number), RuntimeError);
}

// Several readers open at once, opening, reading and closing in any order:
// each reads its own file to the end, and none closes another's.
class InterleavedReadersTest : public ReaderTest {
protected:
    // Two chunks' worth of one letter, so that every reader reads twice.
    static std::string Contents(char letter) { return std::string(1500, letter); }

    void Open(clsFileRead& reader, char letter) {
        const std::string name = std::string(1, letter) + ".txt";
        Write(name, Contents(letter));
        reader.FileName(Path(name));
        ASSERT_EQ(reader.OpenFile(), 0) << letter;
    }

    // Reads the next chunk and checks that it is the reader's own.
    static void ExpectChunk(clsFileRead& reader, char letter, std::size_t size) {
        reader.ReadNext();
        EXPECT_EQ(reader.OutPutString(), std::string(size, letter)) << letter;
    }
};

TEST_F(InterleavedReadersTest, TwoReadersKeepTheirOwnFiles) {
    clsFileRead a, b;
    Open(a, 'a');
    ExpectChunk(a, 'a', 1024);
    Open(b, 'b');
    ExpectChunk(a, 'a', 476);
    ExpectChunk(b, 'b', 1024);
    ExpectChunk(b, 'b', 476);
}

TEST_F(InterleavedReadersTest, ThreeReadersWithOneClosingAndOneOpeningAgain) {
    clsFileRead a, b, c;
    Open(a, 'a');
    Open(b, 'b');
    Open(c, 'c');
    ExpectChunk(b, 'b', 1024);
    b.CloseFile();
    // b's number is free again; the next open may take it, but not a's or c's.
    clsFileRead d;
    Open(d, 'd');
    ExpectChunk(a, 'a', 1024);
    ExpectChunk(c, 'c', 1024);
    ExpectChunk(d, 'd', 1024);
    // A reader that opens again replaces its own file only.
    Open(a, 'e');
    ExpectChunk(a, 'e', 1024);
    ExpectChunk(c, 'c', 476);
    ExpectChunk(d, 'd', 476);
    ExpectChunk(a, 'e', 476);
}

TEST_F(InterleavedReadersTest, AReaderLeavesTheNumberedFilesOfOthersAlone) {
    // A file of the bench's file commands, open under the lowest free number.
    const std::int32_t command = NumberedFiles::FreeFile();
    NumberedFiles::OpenForAppend(command, Path("command.out"));
    clsFileRead a, b;
    Open(a, 'a');
    Open(b, 'b');
    NumberedFiles::Write(command, "still open");
    NumberedFiles::Close(command);
    EXPECT_EQ(testing::ReadFile(Path("command.out")), "still open");
    ExpectChunk(a, 'a', 1024);
    ExpectChunk(b, 'b', 1024);
}

}  // namespace
}  // namespace ciphora
