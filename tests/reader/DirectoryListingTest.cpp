#include <algorithm>

#include "ReaderFixture.h"
#include "support/RuntimeError.h"

namespace ciphora {
namespace {

using testing::ArmedTraps;
using testing::ReaderTest;

class ListingTest : public ReaderTest {
protected:
    void Files(std::initializer_list<std::string> names) {
        for (const std::string& name : names) Write(name, "");
    }
    void ManyFiles(int count) {
        for (int i = 0; i < count; ++i) Write("f" + std::to_string(i) + ".txt", "");
    }
    // Every name ReadNextDirFile hands out until it gives an empty one.
    std::vector<std::string> Walk() {
        std::vector<std::string> names;
        for (;;) {
            EXPECT_EQ(reader.ReadNextDirFile(), 0);
            if (reader.FileName().empty()) break;
            names.push_back(reader.FileName());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Directory() const { return platform.directory.Path().string(); }
};

TEST_F(ListingTest, APatternSelectsTheNames) {
    Files({"a.txt", "b.txt", "c.dat"});
    reader.DirectoryName(Directory());
    reader.DirFilePattern("*.txt");
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 1);
    EXPECT_EQ(reader.VntDirFileNames().UBound(), 1);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(reader.DirectoryName(), Directory() + kPathSeparator);
}

TEST_F(ListingTest, ABlankPatternListsEverything) {
    Files({"a.txt", "b", "c.dat"});
    std::filesystem::create_directory(Path("sub"));
    reader.DirectoryName(Directory());
    reader.DirFilePattern("  ");
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.DirFilePattern(), "*.*");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a.txt", "b", "c.dat"}));
}

TEST_F(ListingTest, NoMatchGivesNull) {
    reader.DirectoryName(Directory());
    reader.DirFilePattern("*.none");
    reader.FileName("kept");
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 0);
    EXPECT_TRUE(reader.VntDirFileNames().IsNull());
    EXPECT_EQ(reader.ReadNextDirFile(), 0);
    EXPECT_EQ(reader.FileName(), "kept");
}

TEST_F(ListingTest, OneMatchGivesATwoEntryArray) {
    Files({"only.txt"});
    reader.DirectoryName(Directory());
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 0);
    EXPECT_EQ(reader.VntDirFileNames().UBound(), 1);
    EXPECT_FALSE(reader.VntDirFileNames()[1].has_value());
    EXPECT_EQ(Walk(), std::vector<std::string>{"only.txt"});
}

TEST_F(ListingTest, TheLimitStopsTheListingWithAMessage) {
    ManyFiles(5);
    reader.DirectoryName(Directory());
    reader.ReadDirFilesMaxNr(3);
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 3);
    EXPECT_EQ(reader.VntDirFileNames().UBound(), 3);
    EXPECT_FALSE(reader.VntDirFileNames()[3].has_value());
    EXPECT_EQ(Walk().size(), 3u);
    EXPECT_EQ(
        platform.LogMessages(),
        std::vector<std::string>{"clsFileRead.ReadDirFiles-System trying to read more than 3 files-voluntary exit!"});
}

TEST_F(ListingTest, ManyNamesGrowTheArray) {
    ManyFiles(230);
    reader.DirectoryName(Directory());
    EXPECT_EQ(reader.ReadDirFiles(), 0);
    EXPECT_EQ(reader.ReadDirFilesMaxNr(), 5000);
    EXPECT_EQ(reader.NrRowsDirArray(), 229);
    EXPECT_EQ(reader.VntDirFileNames().UBound(), 229);
    EXPECT_EQ(Walk().size(), 230u);
}

TEST_F(ListingTest, TheFixedListingStopsSilentlyAfter101Names) {
    ManyFiles(105);
    reader.DirectoryName(Directory());
    EXPECT_EQ(reader.ReadDirFiles100(), 0);
    EXPECT_EQ(reader.ReadDirFilesMaxNr(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 101);
    EXPECT_EQ(reader.VntDirFileNames().UBound(), 101);
    EXPECT_FALSE(reader.VntDirFileNames()[101].has_value());
    EXPECT_EQ(Walk().size(), 101u);
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(ListingTest, TheFixedListingOfNothingKeepsTheRowCount) {
    reader.DirectoryName(Directory());
    reader.DirFilePattern("*.none");
    reader.NrRowsDirArray(7);
    reader.FileName("kept");
    EXPECT_EQ(reader.ReadDirFiles100(), 0);
    EXPECT_EQ(reader.NrRowsDirArray(), 7);
    EXPECT_EQ(reader.VntDirFileNames(), NameListVariant::Array(100));
    EXPECT_EQ(reader.ReadNextDirFile(), 0);
    EXPECT_EQ(reader.FileName(), "");
}

TEST_F(ListingTest, AnEmptyDirectoryNameIsARunTimeErrorOrTrapped) {
    try {
        reader.ReadDirFiles();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), kInvalidProcedureCall);
    }
    ArmedTraps armed;
    clsFileRead other;
    EXPECT_EQ(other.ReadDirFiles100(), kInvalidProcedureCall);
    EXPECT_EQ(platform.LogMessages(),
              std::vector<std::string>{
                  "TRAPPED ERROR!: clsFileRead.ReadDirFiles100-Error: 5 Invalid procedure call or argument"});
}

TEST_F(ListingTest, ANewListingRestartsTheWalk) {
    Files({"a.txt"});
    reader.DirectoryName(Directory());
    reader.ReadDirFiles();
    EXPECT_EQ(Walk(), std::vector<std::string>{"a.txt"});
    reader.ReadDirFiles();
    EXPECT_EQ(Walk(), std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace ciphora
