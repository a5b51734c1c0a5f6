#include <gtest/gtest.h>

#include "common/SystemTestSupport.h"
#include "common/TestPlatform.h"
#include "support/DirectorySearch.h"
#include "support/mdlFileExist.h"

namespace ciphora {
namespace {

using testing::TestPlatform;
using testing::WriteFile;

constexpr const char* kPrefix = "mdlFileExist.FileExist-";

class FileExistTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return platform.directory.File(name); }

    TestPlatform platform;
};

TEST_F(FileExistTest, AnswersByWhatThePathNames) {
    WriteFile(Path("present.txt"), "x");
    WriteFile(Path("b.dat"), "x");
    WriteFile(Path(".hidden"), "x");
    struct Case {
        std::string path;
        std::int32_t result;
        std::vector<std::string> logged;
    };
    // One colon only: the drive's where paths have one, else one put before.
    const std::string oneColon =
        Path("missing").find(':') == std::string::npos ? "c:" + Path("missing") : Path("missing");
    const Case cases[] = {
        {Path("present.txt"), 1, {}},
        {Path("missing.txt"), 0, {}},
        {Path("nodir/missing.txt"), 0, {}},
        {Path("*.txt"), 1, {}},
        {Path("pres?nt.txt"), 1, {}},
        {Path("*.none"),
         0,
         {std::string(kPrefix) +
          "Man versucht ein wildcard zu benutzen-folgendes quelle macht immer Fehler mit sowie: " + Path("*.none")}},
        {Path("?.none"), 0, {}},
        {"c:x:" + Path("a"),
         0,
         {std::string(kPrefix) + "Ein Filename mit zwei oder mehr : !! illegal!: c:x:" + Path("a")}},
        {oneColon, 0, {}},
        {Path(".hidden"), 1, {}},
        {Path(std::string("present.txt\0tail", 16)), 0, {}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        TestPlatform local;
        WriteFile(local.directory.File("present.txt"), "x");
        EXPECT_EQ(FileExist(c.path), c.result) << c.path;
        EXPECT_EQ(local.LogMessages(), c.logged) << c.path;
    }
}

TEST_F(FileExistTest, YieldsThreeTimesBeforeLooking) {
    WriteFile(Path("present.txt"), "x");
    FileExist(Path("present.txt"));
    EXPECT_EQ(platform.eventPasses, 3);
}

TEST_F(FileExistTest, ADirectoryFailsSixOpensLogsTwiceAndCountsAsPresent) {
    std::filesystem::create_directory(Path("folder"));
    EXPECT_EQ(FileExist(Path("folder")), 1);
    EXPECT_EQ(
        platform.LogMessages(),
        (std::vector<std::string>{
            std::string(kPrefix) + "Error nicht 53!Error: 75 : " + Path("folder"),
            std::string(kPrefix) +
                "5 Mal Error nicht 53-endlich habe ich gesagt, dass file existiert! Error: 75 : " + Path("folder")}));
}

// A visible file is found by the directory search before any open; a hidden
// one is opened, and a refusal then still counts as present.
TEST_F(FileExistTest, AHiddenFileThatRefusesReadersCountsAsPresent) {
    const std::string path = Path(".locked");
    WriteFile(path, "x");
    testing::HideFile(path);
    std::filesystem::permissions(platform.directory.Path(), std::filesystem::perms::all);
    const testing::ReadersRefused refused(path);
    EXPECT_EQ(testing::RunUnprivileged([&] { return FileExist(path); }), 1);
    EXPECT_EQ(
        platform.LogMessages(),
        (std::vector<std::string>{std::string(kPrefix) + "file open mit error 70-shared/locking error: " + path}));
}

TEST(WildcardMatch, MatchesAsADirectorySearchDoes) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.*", "a.txt", true},     {"*.*", "noext", true},   {"*.txt", "A.TXT", true}, {"*.txt", "a.txt.bak", false},
        {"a?c", "abc", true},       {"a?c", "ac", false},     {"*", "", true},          {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false}, {"data.*", "data", true}, {"x.*", "y", false},      {"???", "ab", false},
    };
    for (const Case& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST(DirectorySearch, ListsOrdinaryVisibleFilesThatMatch) {
    testing::TempDir dir;
    WriteFile(dir.Path() / "a.txt", "");
    WriteFile(dir.Path() / "b.txt", "");
    WriteFile(dir.Path() / "c.dat", "");
    WriteFile(dir.Path() / ".d.txt", "");
    std::filesystem::create_directory(dir.Path() / "e.txt");
    DirectorySearch search(dir.File("*.txt"));
    std::vector<std::string> names;
    while (auto name = search.Next()) names.push_back(*name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(DirectorySearch(dir.File("missing/*.txt")).Next());
}

}  // namespace
}  // namespace ciphora
