#include <gtest/gtest.h>

#include "BatchProgram.h"
#include "common/SystemTestSupport.h"

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Outcome;
using testing::RandomBytes;

constexpr const char* kKey = "117032209004188";
const std::string kGeneral =
    "Incorrect Key - should be in the form of ENC123456789012345 or DENC123456789012345 - 15 digits in length";
const std::string kEncLength = "Incorrect Key - should be in the form of ENC123456789012345 - 15 digits in length";
const std::string kDencLength = "Incorrect Key - should be in the form of DENC123456789012345 - 15 digits in length";
const std::string kNoInputTxt =
    "Input file input.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe";
const std::string kNoOutputTxt =
    "Input file output.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe";
const std::string kRange =
    "Incorrect Key - should be in the form of ENC001255001255001 or DENC001255001255001 - each of the 5 x 3 digit code "
    "should be between 001 and 255";

struct DecisionCase {
    std::vector<std::string> arguments;
    bool inputPresent;
    std::string logged;  // empty: accepted
    int status;
};

TEST(BatchProgram, FollowsTheDecisionTable) {
    const std::string key(kKey);
    const DecisionCase cases[] = {
        {{}, true, kGeneral, 64},
        {{"   "}, true, kGeneral, 64},
        {{"/ENC" + key}, true, kGeneral, 64},
        {{"XENC" + key}, true, kGeneral, 64},
        {{"\"ENC" + key + "\""}, true, kGeneral, 64},
        {{"ENC" + key}, true, "", 0},
        {{"enc" + key}, true, "", 0},
        {{"Enc" + key + "   "}, true, "", 0},
        {{"  ENC" + key}, true, "", 0},
        {{"ENC001001001001001"}, true, "", 0},
        {{"ENC255255255255255"}, true, "", 0},
        {{"ENC", key}, true, kEncLength, 64},
        {{"ENC"}, true, kEncLength, 64},
        {{"ENCRYPT"}, true, kEncLength, 64},
        {{"ENC" + key + "X"}, true, kEncLength, 64},
        {{"ENC" + key + "\t"}, true, kEncLength, 64},
        {{"ENC" + std::string(5000, '1')}, true, kEncLength, 64},
        {{"ENC\xe9\xe9\xe9" + key.substr(3)}, true, kRange, 64},
        {{"ENC000032209004188"}, true, kRange, 64},
        {{"ENC000032209004188"}, false, kNoInputTxt, 66},
        {{"ENC117256209004188"}, true, kRange, 64},
        {{"ENC1170322090049E9"}, true, kRange, 64},
        {{"ENC-01032209004188"}, true, kRange, 64},
        {{"ENC" + key}, false, kNoInputTxt, 66},
        {{"DENC" + key}, false, kNoOutputTxt, 66},
        {{"DENC12"}, false, kDencLength, 64},
        {{"denc" + key + "0"}, true, kDencLength, 64},
    };
    for (const DecisionCase& c : cases) {
        BatchProgram program;
        if (c.inputPresent) program.Write("input.txt", "plain text\r\n");
        const Outcome outcome = program.Run(c.arguments);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0].substr(0, 30);
        EXPECT_EQ(outcome.status, c.status) << shown;
        if (c.logged.empty() && c.status == 0) {
            EXPECT_EQ(program.LogMessages(), std::vector<std::string>{}) << shown;
            EXPECT_TRUE(program.Exists("output.txt")) << shown;
        } else if (!c.logged.empty()) {
            EXPECT_EQ(program.LogMessages(), std::vector<std::string>{c.logged}) << shown;
            EXPECT_EQ(outcome.errors, c.logged + "\n") << shown;
            EXPECT_FALSE(program.Exists("output.txt")) << shown;
        }
    }
}

TEST(BatchProgram, AKeyTheCipherRefusesWritesNothing) {
    // The command line checks the groups as they stand; the cipher trims the
    // key first and then finds only fourteen characters.
    BatchProgram program;
    program.Write("input.txt", "plain");
    const Outcome outcome = program.Run({"ENC", "01002003004005"});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(program.LogMessages(), std::vector<std::string>{"No Key Provided!"});
    EXPECT_FALSE(program.Exists("output.txt"));
}

TEST(BatchProgram, EncipherThenDecipherRestoresTheInputExactly) {
    const std::string texts[] = {
        "Line one\r\nLine two\r\n",
        "lf\nonly\n",
        std::string("nul\0bytes\0", 10),
        "high \xe4\xf6\xfc\xff\x80 bytes",
        "x",
        std::string(20, 'a'),
        std::string(21, 'b'),
        RandomBytes(100000, 42),
    };
    for (const std::string& text : texts) {
        BatchProgram program;
        program.Write("input.txt", text);
        ASSERT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 0);
        const std::string cipherText = program.Read("output.txt");
        EXPECT_EQ(cipherText.size(), 3 * text.size() + 2 * ((text.size() + 19) / 20));
        std::filesystem::remove(program.Path("input.txt"));
        ASSERT_EQ(program.Run({"DENC" + std::string(kKey)}).status, 0);
        EXPECT_EQ(program.Read("input.txt"), text);
        EXPECT_EQ(program.Read("output.txt"), cipherText);
        EXPECT_EQ(program.Entries(),
                  (std::vector<std::string>{BatchProgram::kExecutableName, "input.txt", "output.txt"}));
    }
}

TEST(BatchProgram, RunsFromAFolderWhoseNameIsNotAscii) {
    const testing::TempDir outer;
    for (const char* folder : {"M\xc3\xbcller", "\xce\xa9mega \xce\xb1\xce\xb2",
                               "\xe6\xbc\xa2\xe5\xad\x97 \xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"}) {
        const auto base = outer.Path() / testing::Utf8Path(folder);
        std::filesystem::create_directory(base);
        BatchProgram program(base);
        program.Write("input.txt", "Line one\r\n\xe4\xf6\xfc\r\n");
        ASSERT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 0) << folder;
        std::filesystem::remove(program.Path("input.txt"));
        ASSERT_EQ(program.Run({"DENC" + std::string(kKey)}).status, 0) << folder;
        EXPECT_EQ(program.Read("input.txt"), "Line one\r\n\xe4\xf6\xfc\r\n") << folder;

        program.Write("input.txt", "   ");
        EXPECT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 65) << folder;
        EXPECT_EQ(program.LogMessages(),
                  std::vector<std::string>{"Error loading file to RichTextBox: " + program.Path("input.txt")})
            << folder;
    }
}

TEST(BatchProgram, BlankInputIsRefusedWithoutOutput) {
    BatchProgram program;
    program.Write("input.txt", "      ");
    const Outcome outcome = program.Run({"ENC" + std::string(kKey)});
    EXPECT_EQ(outcome.status, 65);
    EXPECT_EQ(program.LogMessages(),
              std::vector<std::string>{"Error loading file to RichTextBox: " + program.Path("input.txt")});
    EXPECT_FALSE(program.Exists("output.txt"));
}

TEST(BatchProgram, MissingInputLeavesAnExistingOutputAlone) {
    BatchProgram program;
    program.Write("output.txt", "earlier cipher text");
    EXPECT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 66);
    EXPECT_EQ(program.Read("output.txt"), "earlier cipher text");
}

TEST(BatchProgram, AnOutputThatCannotBeWrittenKeepsTheOldOne) {
    SKIP_ON_WINDOWS("Windows has no per-process limit on the size of the files a process writes");
    // A small text, and one whose blocks the workers write themselves.
    const struct {
        std::size_t size;
        std::uint64_t limit;
    } texts[] = {{10000, 2000}, {(9u << 20) + 3, 4u << 20}};
    for (const auto& text : texts)
        for (const char* mode : {"ENC", "DENC"}) {
            SCOPED_TRACE(text.size);
            BatchProgram program;
            const std::string plain = RandomBytes(text.size, 3);
            program.Write("input.txt", plain);
            ASSERT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 0);
            const std::string target = std::string(mode) == "ENC" ? "output.txt" : "input.txt";
            program.Write(target, "old contents");

            testing::RunOptions limited;
            limited.fileSizeLimit = text.limit;
            const Outcome outcome = program.Run({mode + std::string(kKey)}, limited);
            EXPECT_EQ(outcome.status, 73) << mode;
            EXPECT_EQ(program.LogMessages().back(), "Error saving file from RichTextBox: " + program.Path(target))
                << mode;
            EXPECT_EQ(program.Read(target), "old contents") << mode;
            EXPECT_EQ(program.Entries(), (std::vector<std::string>{"VbAppErrorLog.txt", BatchProgram::kExecutableName,
                                                                   "input.txt", "output.txt"}))
                << mode;
        }
}

TEST(BatchProgram, AReadOnlyOutputIsRefusedAndKept) {
    for (const char* mode : {"ENC", "DENC"}) {
        BatchProgram program;
        program.Write("input.txt", "plain text");
        ASSERT_EQ(program.Run({"ENC" + std::string(kKey)}).status, 0);
        const std::string target = std::string(mode) == "ENC" ? "output.txt" : "input.txt";
        const std::string kept = program.Read(target);
        std::filesystem::permissions(program.Path(target), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
        testing::RunOptions unprivileged;
        unprivileged.unprivileged = true;
        const Outcome outcome = program.Run({mode + std::string(kKey)}, unprivileged);
        std::filesystem::permissions(program.Path(target), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(outcome.status, 73) << mode;
        EXPECT_EQ(program.Read(target), kept) << mode;
        EXPECT_EQ(program.Entries(), (std::vector<std::string>{"VbAppErrorLog.txt", BatchProgram::kExecutableName,
                                                               "input.txt", "output.txt"}))
            << mode;
    }
}

}  // namespace
}  // namespace ciphora
