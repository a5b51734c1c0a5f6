// The options form on many files at once: each written beside itself, folders
// walked, the sources removed only once their results are safely written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "BatchProgram.h"
#include "common/KeyedCipher.h"
#include "common/SystemTestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Enciphered;
using testing::Outcome;
using testing::RunOptions;
using testing::Utf8Path;
using testing::Utf8Text;

constexpr const char* kKey = testing::kTestKey;
namespace fs = std::filesystem;

// A folder "tree" of letters beside the program and its key file "key".
class InPlace : public ::testing::Test {
protected:
    InPlace() {
        program.WritePrivate("key", std::string(kKey) + "\n");
        for (const auto& [name, text] : kLetters) {
            fs::create_directories(File(name).parent_path());
            testing::WriteFile(File(name), text);
        }
    }

    fs::path File(const std::string& name) const { return program.Directory() / Utf8Path(name); }
    std::string Name(const std::string& name) const { return Utf8Text(File(name)); }
    bool Exists(const std::string& name) const { return fs::exists(File(name)); }
    std::string Read(const std::string& name) const { return testing::ReadFile(File(name)); }

    Outcome Run(const std::string& action, std::vector<std::string> arguments, const RunOptions& options = {}) const {
        arguments.insert(arguments.begin(), {action, "-i", "-k", program.Path("key")});
        return program.Run(arguments, options);
    }

    // Every regular file under the tree, by its name from the program's folder.
    std::vector<std::string> TreeFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(File("tree")))
            if (entry.is_regular_file() && !entry.is_symlink()) {
                std::string name = Utf8Text(fs::relative(entry.path(), program.Directory()));
                std::replace(name.begin(), name.end(), '\\', '/');
                names.push_back(name);
            }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::map<std::string, std::string> kLetters{
        {"tree/a.txt", "Dear Bob,\r\nall is well.\r\n"},
        {"tree/empty", ""},
        {"tree/with blank/b c.txt", "blank names\n"},
        {"tree/deeper/still/Grüße.txt", "Grüße aus Köln\n"},
    };
    BatchProgram program;
};

TEST_F(InPlace, AFolderTreeIsEncipheredAndDecipheredBesideItself) {
    const Outcome enciphered = Run("-e", {"-r", Name("tree")});
    ASSERT_EQ(enciphered.status, 0) << enciphered.errors;
    EXPECT_EQ(enciphered.errors, "");
    std::vector<std::string> expected;
    for (const auto& [name, text] : kLetters) {
        expected.push_back(name + ".cph");
        EXPECT_EQ(Read(name + ".cph"), Enciphered(text)) << name;
    }
    EXPECT_EQ(TreeFiles(), expected);

    const Outcome deciphered = Run("-d", {"-r", Name("tree")});
    ASSERT_EQ(deciphered.status, 0) << deciphered.errors;
    for (const auto& [name, text] : kLetters) EXPECT_EQ(Read(name), text) << name;
    expected.clear();
    for (const auto& [name, text] : kLetters) expected.push_back(name);
    EXPECT_EQ(TreeFiles(), expected);
}

TEST_F(InPlace, NamedFilesAndTheSuffixTheyTake) {
    // Files named one by one, a suffix of one's own, and names already
    // ending in it skipped.
    program.Write("tree/done.x", "x");
    const Outcome enciphered = Run("-e", {"-S", ".x", Name("tree/a.txt"), Name("tree/done.x"), Name("tree/empty")});
    EXPECT_EQ(enciphered.status, 0) << enciphered.errors;
    EXPECT_EQ(enciphered.errors, "ciphora: " + Name("tree/done.x") + ": already ends in .x; skipped\n");
    EXPECT_EQ(Read("tree/a.txt.x"), Enciphered(kLetters.at("tree/a.txt")));
    EXPECT_TRUE(Exists("tree/empty.x"));
    EXPECT_FALSE(Exists("tree/a.txt"));

    // Deciphering takes the suffix off, and refuses a name without it.
    const Outcome deciphered = Run("-d", {"--suffix=.x", Name("tree/a.txt.x"), Name("tree/with blank/b c.txt")});
    EXPECT_EQ(deciphered.status, 65);
    EXPECT_EQ(deciphered.errors,
              "ciphora: " + Name("tree/with blank/b c.txt") + ": does not end in .x; not deciphered\n");
    EXPECT_EQ(Read("tree/a.txt"), kLetters.at("tree/a.txt"));
    EXPECT_FALSE(Exists("tree/a.txt.x"));
}

TEST_F(InPlace, OneFileFailingLeavesTheOthersDoneAndGivesTheFirstFailuresStatus) {
    program.Write("tree/a.txt.cph", "already there");
    const Outcome outcome =
        Run("-e", {Name("tree/missing"), Name("tree/a.txt"), Name("tree/empty"), Name("tree/with blank")});
    EXPECT_EQ(outcome.status, 66) << outcome.errors;
    EXPECT_EQ(outcome.errors, "ciphora: " + Name("tree/missing") + ": " +
                                  testing::SystemWords(testing::SystemFailure::NoSuchFile) + "\n" +
                                  "ciphora: " + Name("tree/with blank") + ": is a folder; -r walks folders\n" +
                                  "ciphora: " + Name("tree/a.txt.cph") + ": exists; -f replaces it\n");
    EXPECT_EQ(Read("tree/a.txt.cph"), "already there");
    EXPECT_EQ(Read("tree/a.txt"), kLetters.at("tree/a.txt"));
    EXPECT_TRUE(Exists("tree/empty.cph"));
    EXPECT_FALSE(Exists("tree/empty"));

    // -f replaces the target; --keep keeps the source.
    const Outcome forced = Run("-e", {"-f", "--keep", Name("tree/a.txt")});
    EXPECT_EQ(forced.status, 0) << forced.errors;
    EXPECT_EQ(Read("tree/a.txt.cph"), Enciphered(kLetters.at("tree/a.txt")));
    EXPECT_EQ(Read("tree/a.txt"), kLetters.at("tree/a.txt"));
}

TEST_F(InPlace, TheKeyAndTheLogAreNeverEncipheredAway) {
    const Outcome outcome = Run("-e", {"--log", program.Path("log"), program.Path("key"), Name("tree/a.txt")});
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "ciphora: " + program.Path("key") + ": is the key file or the log; skipped\n");
    EXPECT_EQ(program.Read("key"), std::string(kKey) + "\n");
    EXPECT_TRUE(Exists("tree/a.txt.cph"));
}

// Cipher text deciphered with the wrong key stays, as the bytes it gave
// would be all that is left of the letter.
TEST_F(InPlace, AResultThatIsNoTextKeepsItsCipherText) {
    program.Write("tree/binary.cph", Enciphered(testing::RandomBytes(5000, 4)));
    program.Write("tree/note.cph", Enciphered(kLetters.at("tree/a.txt")));
    const Outcome outcome = Run("-d", {Name("tree/binary.cph"), Name("tree/note.cph")});
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "ciphora: warning: " + Name("tree/binary.cph") +
                                  ": the deciphered text does not look like text; the key may be wrong\n"
                                  "ciphora: " +
                                  Name("tree/binary.cph") +
                                  ": kept, as what it deciphered to does not look like text\n");
    EXPECT_TRUE(Exists("tree/binary.cph"));
    EXPECT_EQ(Read("tree/binary"), testing::RandomBytes(5000, 4));
    EXPECT_EQ(Read("tree/note"), kLetters.at("tree/a.txt"));
    EXPECT_FALSE(Exists("tree/note.cph"));
}

TEST_F(InPlace, RefusalsOfWhatInPlaceCannotMean) {
    struct Case {
        std::vector<std::string> arguments;
        std::string refusal;
    };
    const Case cases[] = {
        {{"-e", "-i", "-o", "out", "a"}, "-i writes each file beside its input; it takes no -o"},
        {{"-e", "-i"}, "-i needs files to write beside; standard input has no name"},
        {{"-d", "-i", "a", "-"}, "-i needs files to write beside; standard input has no name"},
        {{"-e", "-f", "a"}, "-f and --keep go with -i"},
        {{"-e", "-r", "a"}, "-r goes with -i or -t"},
        {{"-e", "-i", "-S", "", "a"}, "the suffix must be a name's ending, not empty"},
        {{"-e", "a", "b"}, "one input at most; -i enciphers or deciphers many files in place"},
    };
    for (const Case& refused : cases) {
        const Outcome outcome = program.Run(refused.arguments);
        EXPECT_EQ(outcome.status, 64) << refused.refusal;
        EXPECT_EQ(outcome.errors, "ciphora: " + refused.refusal + " (see ciphora --help)\n");
    }
}

// Killed at any moment, a run leaves every letter whole: as it was, or as
// its cipher text, or both.
TEST_F(InPlace, KilledRunsLeaveEveryFileOldOrNew) {
    std::map<std::string, std::string> letters;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "tree/big" + std::to_string(i);
        letters[name] = testing::RandomBytes(300000 + 1000 * i, static_cast<unsigned>(i));
        program.Write(name, letters[name]);
    }
    const auto full = std::chrono::microseconds(200000);
    std::mt19937 random(17);
    for (int attempt = 0; attempt < 6; ++attempt) {
        RunOptions options;
        options.killAfter = std::chrono::microseconds(random() % (full.count() + 1));
        Run("-e", {"-r", Name("tree")}, options);
        for (const auto& [name, text] : letters) {
            const bool old = Exists(name);
            EXPECT_TRUE(old || Exists(name + ".cph")) << name << " is lost";
            EXPECT_EQ(old ? Read(name) : Read(name + ".cph"), old ? text : Enciphered(text)) << name;
        }
        // What a killed run left half done, the next run does; its
        // temporary files are no letters to encipher.
        for (const auto& [name, text] : letters)
            if (Exists(name) && Exists(name + ".cph")) fs::remove(File(name + ".cph"));
    }
    for (const std::string& name : TreeFiles()) {
        const std::string base = name.substr(name.rfind('/') + 1);
        EXPECT_TRUE(!base.starts_with('.') || !name.ends_with(".cph")) << name << " was enciphered";
    }
}

#ifndef _WIN32
unsigned ModeOf(const fs::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST_F(InPlace, LinksAndSpecialFilesInAFolderAreSkippedWithAMessage) {
    fs::create_symlink("a.txt", File("tree/link"));
    ASSERT_EQ(::mkfifo(File("tree/fifo").c_str(), 0600), 0);
    const Outcome outcome = Run("-e", {"-r", Name("tree")});
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("ciphora: " + Name("tree/link") + ": is a link; skipped\n"), std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find("ciphora: " + Name("tree/fifo") + ": is not a regular file; skipped\n"),
              std::string::npos)
        << outcome.errors;
    EXPECT_TRUE(fs::is_symlink(File("tree/link")));
    EXPECT_TRUE(fs::is_fifo(File("tree/fifo")));
    EXPECT_TRUE(Exists("tree/a.txt.cph"));
}

// As gzip does: the new file has its source's permission bits and time, and
// is never readable by others on the way.
TEST_F(InPlace, TheNewFileTakesItsSourcesModeAndTime) {
    struct Case {
        const char* name;
        unsigned mode;
    };
    const fs::file_time_type then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    for (const Case& file : {Case{"tree/a.txt", 0600}, Case{"tree/empty", 0640}}) {
        ASSERT_EQ(::chmod(File(file.name).c_str(), file.mode), 0);
        fs::last_write_time(File(file.name), then);
    }
    ASSERT_EQ(Run("-e", {Name("tree/a.txt"), Name("tree/empty")}).status, 0);
    ASSERT_EQ(Run("-d", {Name("tree/a.txt.cph"), Name("tree/empty.cph")}).status, 0);
    for (const Case& file : {Case{"tree/a.txt", 0600}, Case{"tree/empty", 0640}}) {
        EXPECT_EQ(ModeOf(File(file.name)), file.mode) << file.name;
        EXPECT_EQ(fs::last_write_time(File(file.name)), then) << file.name;
    }
}
#endif

}  // namespace
}  // namespace ciphora
