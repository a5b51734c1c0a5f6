#include <gtest/gtest.h>

#include "BatchProgram.h"
#include "cipher/KernelPaths.h"
#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/SystemTestSupport.h"
#include "main/Options.h"

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Outcome;
using testing::RandomBytes;
using testing::RunOptions;

constexpr const char* kKey = testing::kTestKey;
using testing::Enciphered;

// The real program in its options form, beside a key file "key".
class OptionsProgram : public ::testing::Test {
protected:
    OptionsProgram() { program.WritePrivate("key", std::string(kKey) + "\n"); }

    // Runs with `input` on standard input.
    Outcome Run(const std::vector<std::string>& arguments, const std::string& input = "", RunOptions options = {}) {
        program.Write("stdin", input);
        options.standardInput = program.Path("stdin");
        return program.Run(arguments, options);
    }

    BatchProgram program;
};

TEST_F(OptionsProgram, PipesAndFilesGiveTheFileModesCipherTextAndBack) {
    // Bytes that are not text are deciphered all the same, with a warning.
    const std::string notText = "ciphora: warning: the deciphered text does not look like text; the key may be wrong\n";
    const std::pair<std::string, std::string> textsAndWarnings[] = {
        {"", ""},
        {"x", ""},
        {std::string(20, 'a'), ""},
        {"Line one\r\nLine two\r\n", ""},
        {std::string("nul\0byte", 8), notText},
        {RandomBytes(100000, 7), notText},
        // Several blocks, split across the cores without a known size.
        {RandomBytes(9u << 20, 8), notText},
    };
    for (const auto& [text, warning] : textsAndWarnings) {
        const std::string expected = Enciphered(text);
        const Outcome enciphered = Run({"-e", "-k", program.Path("key")}, text);
        ASSERT_EQ(enciphered.status, 0) << enciphered.errors;
        EXPECT_TRUE(enciphered.output == expected) << text.size() << " bytes";
        const Outcome deciphered = Run({"-d", "-k", program.Path("key")}, enciphered.output);
        ASSERT_EQ(deciphered.status, 0) << deciphered.errors;
        EXPECT_TRUE(deciphered.output == text) << text.size() << " bytes";
        EXPECT_EQ(enciphered.errors, "");
        EXPECT_EQ(deciphered.errors, warning) << text.size() << " bytes";

        program.Write("plain", text);
        ASSERT_EQ(Run({"-e", "-k", program.Path("key"), "-o", program.Path("cipher"), program.Path("plain")}).status,
                  0);
        EXPECT_TRUE(program.Read("cipher") == expected) << text.size() << " bytes";
    }
}

TEST_F(OptionsProgram, DecipheringIsLenientAndWarnsOnceAboutReducedCodes) {
    const std::string cipherText = "999 000\r\n700x12\r\n5";
    testing::TestPlatform inProcess;
    clsEncrypt cipher;
    cipher.KKey(kKey);
    const std::string expected = cipher.DeEncryptString(cipherText);
    ASSERT_EQ(inProcess.LogMessages().size(), 5u) << "999 is reduced three times, 700 twice";

    const Outcome warned = Run({"-d", "-k", program.Path("key")}, cipherText);
    EXPECT_EQ(warned.status, 0);
    EXPECT_TRUE(warned.output == expected);
    EXPECT_EQ(warned.errors, "ciphora: warning: 2 code(s) above 255 reduced by 256, the first of them code 1\n")
        << "codes are counted, not reductions";

    const Outcome quiet = Run({"-d", "-q", "-k", program.Path("key")}, cipherText);
    EXPECT_EQ(quiet.errors, "");
    EXPECT_TRUE(quiet.output == expected);

    const Outcome logged = Run({"-d", "--log", program.Path("my.log"), "-k", program.Path("key")}, cipherText);
    EXPECT_EQ(logged.status, 0);
    EXPECT_NE(program.Read("my.log").find("\"warning: 2 code(s) above 255"), std::string::npos);
    EXPECT_FALSE(program.Exists("VbAppErrorLog.txt")) << "no log beside the program in this form";
}

TEST_F(OptionsProgram, CipherTextCutShortWarnsAndTextWithoutACodeIsRefused) {
    const std::string whole = Enciphered("Dear Bob,\n");
    for (const std::size_t cut : {std::size_t{1}, std::size_t{2}}) {
        const std::string text = whole.substr(0, whole.size() - 2 - cut);  // the line break and digits off
        const Outcome outcome = Run({"-d", "-k", program.Path("key")}, text);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.errors, "ciphora: warning: the cipher text ends inside a code, after " +
                                      std::to_string(3 - cut) + " of its 3 digits\n");
        EXPECT_EQ(Run({"-d", "-q", "-k", program.Path("key")}, text).errors, "");
    }
    for (const std::string text : {"Dear Bob,\n", "12", "\r\n"}) {
        program.Write("letter.txt", text);
        const Outcome outcome =
            Run({"-d", "-k", program.Path("key"), "-o", program.Path("letter.txt"), program.Path("letter.txt")});
        EXPECT_EQ(outcome.status, 65);
        EXPECT_EQ(outcome.errors,
                  "ciphora: cannot read " + program.Path("letter.txt") + ": it is no cipher text, not a code in it\n");
        EXPECT_EQ(program.Read("letter.txt"), text) << "nothing is written";
    }
}

// A log that cannot be written is said on standard error and ends the run
// with 74, once the run's own work is done.
TEST_F(OptionsProgram, ALogThatCannotBeWrittenIsSaidAndEndsWith74) {
    std::filesystem::create_directory(program.Directory() / "folder");
    program.Write("cipher", "999\r\n");
    for (const std::string& log : {program.Path("folder"), program.Path("missing/my.log")}) {
        const Outcome outcome =
            Run({"-d", "--log", log, "-k", program.Path("key"), "-o", program.Path("plain"), program.Path("cipher")});
        EXPECT_EQ(outcome.status, 74) << log;
        EXPECT_EQ(outcome.errors.rfind("ciphora: warning: 1 code(s) above 255", 0), 0u) << outcome.errors;
        EXPECT_NE(outcome.errors.find("\nciphora: cannot write the log " + log + ": "), std::string::npos)
            << outcome.errors;
        EXPECT_TRUE(program.Exists("plain")) << "the run's own work is done";

        const Outcome missing = Run({"-d", "--log", log, "-k", program.Path("key"), program.Path("nothing")});
        EXPECT_EQ(missing.status, 74) << log;
    }
    const Outcome quiet = Run({"-e", "--log", program.Path("folder"), "-k", program.Path("key")}, "text");
    EXPECT_EQ(quiet.status, 0) << "nothing to log, nothing failed";
}

TEST_F(OptionsProgram, TheKeyComesFromTheKeyFileElseTheEnvironment) {
    struct Case {
        const char* name;
        std::optional<std::string> keyFile;      // written and named with -k
        std::optional<std::string> environment;  // CIPHORA_KEY
        int status;
        std::string error;
    };
    const std::string noKey = "ciphora: no key: give -k KEYFILE, set CIPHORA_KEY, or run ciphora on a terminal\n";
    const std::string badKey = "ciphora: the key must be fifteen digits: five groups of three, each from 001 to 255\n";
    const Case cases[] = {
        {"file with LF", std::string(kKey) + "\n", {}, 0, ""},
        {"file with CR LF", std::string(kKey) + "\r\n", {}, 0, ""},
        {"file without a line break", kKey, {}, 0, ""},
        {"blanks around, read as the command line reads", "  " + std::string(kKey) + "  \n", {}, 0, ""},
        {"two line breaks", std::string(kKey) + "\n\n", {}, 64, badKey},
        {"a group of 000", "000032209004188\n", {}, 64, badKey},
        {"a group of 256", "117256209004188\n", {}, 64, badKey},
        {"fourteen digits", "11703220900418\n", {}, 64, badKey},
        {"an empty file", "", {}, 64, badKey},
        {"the environment", {}, kKey, 0, ""},
        {"a bad environment", {}, "12", 64, badKey},
        {"the file before the environment", std::string(kKey) + "\n", "12", 0, ""},
        {"no key anywhere, no terminal", {}, {}, 64, noKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        program.Write("output", "old");
        std::vector<std::string> arguments{"-e", "-o", program.Path("output")};
        if (c.keyFile) {
            program.WritePrivate("case.key", *c.keyFile);
            arguments.insert(arguments.end(), {"-k", program.Path("case.key")});
        }
        RunOptions options;
        if (c.environment) options.environment = {{"CIPHORA_KEY", *c.environment}};
        const Outcome outcome = Run(arguments, "plain text", options);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.errors, c.error);
        // A refused key writes nothing.
        EXPECT_EQ(program.Read("output"), c.status == 0 ? Enciphered("plain text") : "old");
    }
    const Outcome missing = Run({"-e", "-k", program.Path("missing.key")}, "text");
    EXPECT_EQ(missing.status, 64);
    EXPECT_EQ(missing.errors, "ciphora: cannot read the key file " + program.Path("missing.key") + ": " +
                                  testing::SystemWords(testing::SystemFailure::NoSuchFile) + "\n");
}

TEST_F(OptionsProgram, TheKeyFromStandardInputWhenTheInputIsAFile) {
    program.Write("plain", "plain text");
    const Outcome keyed = Run({"-e", "-k", "-", "-o", program.Path("cipher"), program.Path("plain")}, kKey);
    EXPECT_EQ(keyed.status, 0) << keyed.errors;
    EXPECT_EQ(program.Read("cipher"), Enciphered("plain text"));

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-e", "-k", "-"}, std::vector<std::string>{"-d", "-k", "-", "-"}}) {
        const Outcome refused = Run(arguments, std::string(kKey) + "\n");
        EXPECT_EQ(refused.status, 64);
        EXPECT_EQ(refused.errors,
                  "ciphora: the key and the input cannot both come from standard input (see ciphora --help)\n");
        EXPECT_EQ(refused.output, "");
    }
}

TEST_F(OptionsProgram, AnOutputThatIsTheKeyFileIsRefused) {
    program.Write("plain", "plain text");
    const std::string sameFile = (program.Directory() / "." / "key").string();
    for (const std::string& output : {program.Path("key"), sameFile}) {
        const Outcome outcome = Run({"-e", "-k", program.Path("key"), "-o", output, program.Path("plain")});
        EXPECT_EQ(outcome.status, 64) << output;
        EXPECT_EQ(outcome.errors, "ciphora: the output " + output + " is the key file; it would lose the key\n");
        EXPECT_EQ(program.Read("key"), std::string(kKey) + "\n");
    }
}

TEST_F(OptionsProgram, AnOutputFileIsWrittenWholeOrNotAtAll) {
    program.Write("out", "old");
    const Outcome missing = Run({"-e", "-k", program.Path("key"), "-o", program.Path("out"), program.Path("nothing")});
    EXPECT_EQ(missing.status, 66);
    EXPECT_EQ(missing.errors, "ciphora: cannot open " + program.Path("nothing") + ": " +
                                  testing::SystemWords(testing::SystemFailure::NoSuchFile) + "\n");

    program.Write("plain", RandomBytes(100000, 3));
    std::filesystem::permissions(program.Path("out"), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read |
                                                          std::filesystem::perms::others_read);
    RunOptions unprivileged;
    unprivileged.unprivileged = true;
    unprivileged.environment = {{"CIPHORA_KEY", kKey}};
    const Outcome readOnly = Run({"-e", "-o", program.Path("out"), program.Path("plain")}, "", unprivileged);
    std::filesystem::permissions(program.Path("out"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(readOnly.status, 73);
    EXPECT_EQ(readOnly.errors, "ciphora: cannot write " + program.Path("out") + ": " +
                                   testing::SystemWords(testing::SystemFailure::AccessDenied) + "\n");
    EXPECT_EQ(program.Read("out"), "old");

    // The input and the output may be the same file.
    ASSERT_EQ(Run({"-e", "-k", program.Path("key"), "-o", program.Path("plain"), program.Path("plain")}).status, 0);
    ASSERT_EQ(Run({"-d", "-k", program.Path("key"), "-o", program.Path("plain"), program.Path("plain")}).status, 0);
    EXPECT_EQ(program.Read("plain"), RandomBytes(100000, 3));
    for (const std::string& name : program.Entries()) EXPECT_EQ(name.find(".ciphora-"), std::string::npos) << name;
}

TEST_F(OptionsProgram, AWriteFailureHalfWayKeepsTheOldFile) {
    SKIP_ON_WINDOWS("Windows has no per-process limit on the size of the files a process writes");
    program.Write("out", "old");
    RunOptions limited;
    limited.fileSizeLimit = 100000;
    const Outcome outcome =
        Run({"-e", "-k", program.Path("key"), "-o", program.Path("out")}, RandomBytes(1u << 20, 4), limited);
    EXPECT_EQ(outcome.status, 73);
    EXPECT_EQ(outcome.errors, "ciphora: cannot write " + program.Path("out") + ": File too large\n");
    EXPECT_EQ(program.Read("out"), "old");
}

TEST_F(OptionsProgram, AStandardOutputThatFailsIsReportedIncomplete) {
    SKIP_ON_WINDOWS("Windows has no always-full device to write to");
    RunOptions full;
    full.standardOutput = "/dev/full";
    const Outcome outcome = Run({"-e", "-k", program.Path("key")}, "text", full);
    EXPECT_EQ(outcome.status, 73);
    EXPECT_EQ(outcome.errors,
              "ciphora: cannot write standard output: No space left on device; the output is incomplete\n");
}

TEST_F(OptionsProgram, WindowsDeviceNamesAreWrittenNotReplaced) {
#ifndef _WIN32
    GTEST_SKIP() << "device names are a Windows matter; POSIX devices are tested with the other special targets";
#endif
    program.Write("plain", "plain text");
    for (const std::string& device : {std::string("NUL"), program.Path("nul.txt")}) {
        const Outcome outcome = Run({"-e", "-k", program.Path("key"), "-o", device, program.Path("plain")});
        EXPECT_EQ(outcome.status, 0) << device << ": " << outcome.errors;
    }
    EXPECT_EQ(program.Entries(), (std::vector<std::string>{BatchProgram::kExecutableName, "key", "plain", "stdin"}));
}

TEST_F(OptionsProgram, HelpVersionAndRefusals) {
    for (const char* help : {"-h", "--help"}) {
        const Outcome outcome = Run({help});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(testing::WithPlainLineEnds(outcome.output), HelpText()) << help;
    }
    for (const char* version : {"-V", "--version"}) {
        const Outcome outcome = Run({version});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(testing::WithPlainLineEnds(outcome.output), VersionText(CIPHORA_VERSION)) << version;
        EXPECT_EQ(testing::WithPlainLineEnds(outcome.output).rfind("ciphora " CIPHORA_VERSION "\n", 0), 0u)
            << outcome.output;
    }
    const Outcome refused = Run({"-e", "--key", kKey});
    EXPECT_EQ(refused.status, 64);
    EXPECT_EQ(refused.errors,
              "ciphora: the key is never taken from the command line, where others can read it; use -k KEYFILE or "
              "CIPHORA_KEY (see ciphora --help)\n");
    EXPECT_EQ(refused.output, "");
}

// Every kernel path this processor has, forced through the environment,
// gives the same cipher text in the whole program, and --version names it;
// a path it lacks, or an unknown name, leaves the fastest one in use.
TEST_F(OptionsProgram, ForcedKernelPathsGiveTheSameCipherText) {
    // Whole lines and a short one, parallel blocks, runs of C3..C5 crossed.
    const std::string text = RandomBytes((9u << 20) + 7, 12);
    const std::string expected = Enciphered(text);
    for (const char* name : {"scalar", "avx2", "avx512", "fastest"}) {
        const std::optional<KernelPath> named = KernelPathNamed(name);
        const KernelPath used = named && IsAvailable(*named) ? *named : BestKernelPath();
        RunOptions options;
        options.environment = {{kKernelPathVariable, name}};
        const Outcome version = Run({"--version"}, "", options);
        EXPECT_NE(version.output.find("cipher kernel: " + std::string(KernelPathName(used)) + " ("), std::string::npos)
            << name << ": " << version.output;

        const Outcome enciphered = Run({"-e", "-k", program.Path("key")}, text, options);
        ASSERT_EQ(enciphered.status, 0) << enciphered.errors;
        EXPECT_TRUE(enciphered.output == expected) << name;
        const Outcome deciphered = Run({"-d", "-k", program.Path("key")}, enciphered.output, options);
        ASSERT_EQ(deciphered.status, 0) << deciphered.errors;
        EXPECT_TRUE(deciphered.output == text) << name;
    }
}

// The described command line begins with a letter; a first argument with "-"
// is the options form, and nothing else changes.
TEST_F(OptionsProgram, TheDescribedCommandLineIsUntouched) {
    program.Write("input.txt", "plain text");
    const Outcome legacy = program.Run({"ENC" + std::string(kKey)});
    EXPECT_EQ(legacy.status, 0);
    EXPECT_EQ(program.Read("output.txt"), Enciphered("plain text"));
    EXPECT_EQ(legacy.output, "");
    const Outcome refused = program.Run({"X-e"});
    EXPECT_EQ(refused.status, 64);
    EXPECT_EQ(program.LogMessages().back(),
              "Incorrect Key - should be in the form of ENC123456789012345 or DENC123456789012345 - 15 digits in "
              "length");
}

}  // namespace
}  // namespace ciphora
