// The options form's help with keys and with checking cipher text: keys made
// for the user, key files others can read, a test mode, a wrong key noticed,
// and cipher text that an editor or a shell re-encoded.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "BatchProgram.h"
#include "common/KeyedCipher.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Enciphered;
using testing::Outcome;
using testing::RunOptions;

constexpr const char* kKey = testing::kTestKey;
const std::string kLetter = "Dear Bob,\r\nall is well here.\r\n";

std::string Utf16LittleEndian(const std::string& ascii) {
    std::string units = "\xff\xfe";
    for (const char c : ascii) units += std::string{c, '\0'};
    return units;
}

class KeysAndChecks : public ::testing::Test {
protected:
    KeysAndChecks() {
        program.WritePrivate("key", std::string(kKey) + "\n");
        program.Write("letter.cph", Enciphered(kLetter));
    }
    BatchProgram program;
};

TEST_F(KeysAndChecks, NewKeysAreFifteenRandomDigitsInAFileOfTheirOwn) {
    std::set<std::string> keys;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "new" + std::to_string(i);
        const Outcome outcome = program.Run({"--new-key", program.Path(name)});
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
        EXPECT_EQ(outcome.output + outcome.errors, "");
        const std::string key = program.Read(name);
        ASSERT_EQ(key.size(), 16u) << key;
        EXPECT_EQ(key.back(), '\n');
        for (std::size_t group = 0; group < 5; ++group) {
            const int value = std::stoi(key.substr(3 * group, 3));
            EXPECT_TRUE(value >= 1 && value <= 255) << key;
        }
        keys.insert(key);
        // The new key enciphers.
        const Outcome used = program.Run({"-e", "-k", program.Path(name), program.Path("letter.cph")});
        EXPECT_EQ(used.status, 0) << used.errors;
#ifndef _WIN32
        struct stat status {};
        ASSERT_EQ(::stat(program.Path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0600u);
#endif
    }
    EXPECT_EQ(keys.size(), 4u) << "a key came twice";

    const Outcome printed = program.Run({"--new-key", "-"});
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.output.size(), 16u + (printed.output.ends_with("\r\n") ? 1 : 0)) << printed.output;

    // An existing file is never replaced.
    const Outcome refused = program.Run({"--new-key", program.Path("key")});
    EXPECT_EQ(refused.status, 73);
    EXPECT_NE(refused.errors.find("ciphora: cannot write the new key " + program.Path("key") + ": "), std::string::npos)
        << refused.errors;
    EXPECT_EQ(program.Read("key"), std::string(kKey) + "\n");
    EXPECT_EQ(program.Run({"--new-key", program.Path("new0"), "input"}).status, 64);
}

#ifndef _WIN32
TEST_F(KeysAndChecks, AKeyFileOthersCanReadIsWarnedAboutEvenWhenQuiet) {
    for (const unsigned mode : {0640u, 0604u}) {
        ::chmod(program.Path("key").c_str(), mode);
        for (const std::string quiet : {"", "-q"}) {
            std::vector<std::string> arguments{"-e", "-k", program.Path("key"), program.Path("letter.cph")};
            if (!quiet.empty()) arguments.push_back(quiet);
            const Outcome outcome = program.Run(arguments);
            EXPECT_EQ(outcome.status, 0);
            EXPECT_EQ(outcome.errors, "ciphora: warning: the key file " + program.Path("key") +
                                          " can be read by others; chmod 600 " + program.Path("key") + "\n");
        }
    }
    ::chmod(program.Path("key").c_str(), 0400);
    EXPECT_EQ(program.Run({"-e", "-k", program.Path("key"), program.Path("letter.cph")}).errors, "");
}
#endif

TEST_F(KeysAndChecks, AWrongKeyIsNoticedAndTheTextWrittenAllTheSame) {
    program.WritePrivate("wrong", "001002003004005\n");
    const Outcome warned = program.Run({"-d", "-k", program.Path("wrong"), program.Path("letter.cph")});
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.errors, "ciphora: warning: the deciphered text does not look like text; the key may be wrong\n");
    EXPECT_EQ(warned.output.size(), kLetter.size());
    const Outcome quiet = program.Run({"-d", "-q", "-k", program.Path("wrong"), program.Path("letter.cph")});
    EXPECT_EQ(quiet.errors, "");
    // Text with line breaks and tabs, and text in other scripts, is text.
    for (const std::string& text : {std::string("a\tb\r\n\fc\r\n"), std::string("Grüße, Καλημέρα, こんにちは\n")}) {
        program.Write("other.cph", Enciphered(text));
        EXPECT_EQ(program.Run({"-d", "-k", program.Path("key"), program.Path("other.cph")}).errors, "") << text;
    }
}

TEST_F(KeysAndChecks, ReencodedCipherTextDeciphersToTheSameText) {
    const std::string cipher = Enciphered(kLetter);
    for (const std::string& stored : {"\xef\xbb\xbf" + cipher, Utf16LittleEndian(cipher)}) {
        program.Write("stored.cph", stored);
        const Outcome fromFile = program.Run({"-d", "-k", program.Path("key"), program.Path("stored.cph")});
        EXPECT_EQ(fromFile.status, 0) << fromFile.errors;
        EXPECT_EQ(fromFile.output, kLetter);
        RunOptions piped;
        piped.standardInput = program.Path("stored.cph");
        const Outcome fromPipe = program.Run({"-d", "-k", program.Path("key")}, piped);
        EXPECT_EQ(fromPipe.output, kLetter);
        EXPECT_EQ(fromPipe.errors, "");
    }
}

TEST_F(KeysAndChecks, TheTestModeReportsEachFileAndWritesNothing) {
    const std::string cipher = Enciphered(kLetter);
    program.Write("bom.cph", "\xef\xbb\xbf" + cipher);
    program.Write("wide.cph", Utf16LittleEndian(cipher));
    program.Write("damaged.cph", cipher.substr(0, 10) + "x" + cipher.substr(11));
    program.Write("high.cph", "100999\r\n");
    program.WritePrivate("wrong", "001002003004005\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string report;
    };
    const std::string letter = program.Path("letter.cph");
    const Case cases[] = {
        {{"-t", letter}, 0, letter + ": sound cipher text, 30 code(s)\n"},
        {{"--test", "-k", program.Path("key"), letter},
         0,
         letter + ": sound cipher text, 30 code(s); deciphers to text\n"},
        {{"-t", "-k", program.Path("wrong"), letter},
         65,
         letter + ": sound cipher text, 30 code(s); deciphers to bytes that do not look like text: wrong key?\n"},
        {{"-t", program.Path("bom.cph"), program.Path("wide.cph")},
         0,
         program.Path("bom.cph") + ": sound cipher text, 30 code(s), in UTF-8 with a byte-order mark\n" +
             program.Path("wide.cph") + ": sound cipher text, 30 code(s), in UTF-16LE with a byte-order mark\n"},
        {{"-t", program.Path("damaged.cph"), letter},
         65,
         program.Path("damaged.cph") +
             ": not sound: line 1, column 11: a digit or CR LF expected; 10 code(s) above 255 that "
             "deciphering reduces\n" +
             letter + ": sound cipher text, 30 code(s)\n"},
        {{"-t", program.Path("high.cph")},
         65,
         program.Path("high.cph") +
             ": not sound: line 1, column 4: code 999 is above 255; 1 code(s) above 255 that deciphering reduces\n"},
    };
    for (const Case& tested : cases) {
        const Outcome outcome = program.Run(tested.arguments);
        EXPECT_EQ(outcome.status, tested.status) << tested.report << outcome.errors;
        EXPECT_EQ(testing::WithPlainLineEnds(outcome.output), tested.report);
    }
    RunOptions piped;
    piped.standardInput = letter;
    EXPECT_EQ(testing::WithPlainLineEnds(program.Run({"-t"}, piped).output),
              "standard input: sound cipher text, 30 code(s)\n");

    const Outcome missing = program.Run({"-t", program.Path("nothing")});
    EXPECT_EQ(missing.status, 66);
    EXPECT_EQ(missing.output, "");
    std::vector<std::string> untouched{
        BatchProgram::kExecutableName, "bom.cph", "damaged.cph", "high.cph", "key", "letter.cph", "wide.cph", "wrong"};
    std::sort(untouched.begin(), untouched.end());
    EXPECT_EQ(program.Entries(), untouched);
}

}  // namespace
}  // namespace ciphora
