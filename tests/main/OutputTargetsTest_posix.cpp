// The program's outputs that are no regular files: FIFOs, devices, its own
// standard output by name, and readers that stop early.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>

#include "BatchProgram.h"
#include "common/KeyedCipher.h"

namespace ciphora {
namespace {

using testing::BatchProgram;
using testing::Enciphered;
using testing::Outcome;
using testing::RandomBytes;
using testing::RunOptions;

constexpr const char* kKey = testing::kTestKey;

class OutputTargets : public ::testing::Test {
protected:
    OutputTargets() {
        program.WritePrivate("key", std::string(kKey) + "\n");
        program.Write("letter.txt", "Dear Bob,\n");
        EXPECT_EQ(::mkfifo(program.Path("fifo").c_str(), 0600), 0);
    }
    Outcome Encipher(const std::string& output, const RunOptions& options = {}) const {
        return program.Run({"-e", "-k", program.Path("key"), "-o", output, program.Path("letter.txt")}, options);
    }
    // Everything the FIFO passes on while `run` runs.
    template <typename Run>
    std::pair<Outcome, std::string> ReadingTheFifo(Run run) const {
        std::future<std::string> reader =
            std::async(std::launch::async, [this] { return testing::ReadFile(program.Path("fifo")); });
        const Outcome outcome = run();
        return {outcome, Finished(reader)};
    }
    // What a reader of the FIFO got, once the program has ended. A program
    // that failed before opening the FIFO leaves the reader waiting for a
    // writer: one that opens and closes it ends that wait.
    std::string Finished(std::future<std::string>& reader) const {
        while (reader.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            const int writer = ::open(program.Path("fifo").c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) ::close(writer);
        }
        return reader.get();
    }
    void Link(const std::string& name, const std::string& to) const {
        std::filesystem::create_symlink(to, program.Directory() / name);
    }

    BatchProgram program;
};

TEST_F(OutputTargets, FifosAndLinksToThemAreWrittenNotReplaced) {
    Link("to-fifo", "fifo");
    for (const std::string name : {"fifo", "to-fifo"}) {
        const auto [outcome, received] = ReadingTheFifo([&] { return Encipher(program.Path(name)); });
        EXPECT_EQ(outcome.status, 0) << name << ": " << outcome.errors;
        EXPECT_EQ(received, Enciphered("Dear Bob,\n")) << name;
        EXPECT_TRUE(std::filesystem::is_fifo(program.Path("fifo"))) << name;
    }
}

TEST_F(OutputTargets, TheDescribedFormWritesThroughAnOutputLinkedToAFifo) {
    program.Write("input.txt", "Dear Bob,\n");
    Link("output.txt", "fifo");
    const auto [outcome, received] = ReadingTheFifo([&] { return program.Run({"ENC" + std::string(kKey)}); });
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(received, Enciphered("Dear Bob,\n"));
    EXPECT_TRUE(std::filesystem::is_fifo(program.Path("fifo")));
    EXPECT_TRUE(std::filesystem::is_symlink(program.Path("output.txt")));
}

TEST_F(OutputTargets, TheDescribedFormRefusesAnInputThatIsAFifo) {
    for (const auto& [command, input] : {std::pair<std::string, std::string>{"ENC", "input.txt"},
                                         std::pair<std::string, std::string>{"DENC", "output.txt"}}) {
        std::filesystem::remove(program.Path(input));
        Link(input, "fifo");
        const Outcome outcome = program.Run({command + kKey});
        EXPECT_EQ(outcome.status, 65) << command;
        EXPECT_EQ(program.LogMessages().back(), "Error loading file to RichTextBox: " + program.Path(input));
        std::filesystem::remove(program.Path(input));
    }
}

TEST_F(OutputTargets, AKeyFileLinkedAsOutputIsRefused) {
    Link("key-link", "key");
    const Outcome outcome = Encipher(program.Path("key-link"));
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(program.Read("key"), std::string(kKey) + "\n");
}

TEST_F(OutputTargets, StandardOutputByAnyOfItsNames) {
    Link("to-stdout", "/proc/self/fd/1");
    for (const std::string& name :
         std::vector<std::string>{"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", program.Path("to-stdout")}) {
        const Outcome outcome = Encipher(name);
        EXPECT_EQ(outcome.status, 0) << name << ": " << outcome.errors;
        EXPECT_EQ(outcome.output, Enciphered("Dear Bob,\n")) << name;
    }
    EXPECT_FALSE(program.Exists("-"));
    EXPECT_TRUE(std::filesystem::is_symlink(program.Path("to-stdout")));
}

TEST_F(OutputTargets, DevicesAreWrittenAndAFullOneFails) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may make device nodes";
    ASSERT_EQ(::mknod(program.Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(program.Path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    Link("to-full", "full");
    EXPECT_EQ(Encipher(program.Path("null")).status, 0);
    for (const std::string name : {"full", "to-full"}) {
        const Outcome outcome = Encipher(program.Path(name));
        EXPECT_EQ(outcome.status, 73) << name;
        EXPECT_EQ(outcome.errors, "ciphora: cannot write " + program.Path(name) +
                                      ": No space left on device; the output is incomplete\n");
    }
    const Outcome logged = program.Run({"-e", "--log", program.Path("full"), "-k", program.Path("key"), "nothing"});
    EXPECT_EQ(logged.status, 74);
    EXPECT_NE(
        logged.errors.find("ciphora: cannot write the log " + program.Path("full") + ": No space left on device\n"),
        std::string::npos)
        << logged.errors;
    for (const std::string name : {"null", "full"}) EXPECT_TRUE(std::filesystem::is_character_file(program.Path(name)));
}

// A reader that has what it wanted ends the run as it ends cat: by SIGPIPE,
// without a word. The decipher side of a pipe stops the same way.
TEST_F(OutputTargets, AReaderThatStopsEarlyEndsTheRunQuietly) {
    const std::string text = RandomBytes(4u << 20, 21);
    program.Write("big.cph", Enciphered(text));
    for (const char* action : {"-e", "-d"}) {
        std::future<std::string> reader = std::async(std::launch::async, [this] {
            const int fifo = ::open(program.Path("fifo").c_str(), O_RDONLY);
            std::string head(100, '\0');
            head.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fifo, head.data(), head.size()))));
            ::close(fifo);
            return head;
        });
        RunOptions options;
        options.standardOutput = program.Path("fifo");
        const std::string input = program.Path(std::string(action) == "-e" ? "letter.txt" : "big.cph");
        program.Write("letter.txt", text);
        const Outcome outcome = program.Run({action, "-k", program.Path("key"), input}, options);
        EXPECT_EQ(outcome.status, 128 + SIGPIPE) << action;
        EXPECT_EQ(outcome.errors, "") << action;
        EXPECT_FALSE(Finished(reader).empty());
    }
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A deciphered letter is never readable by others when its source was not.
TEST_F(OutputTargets, ANewOutputIsAsPrivateAsItsInputAndAReplacedOneKeepsItsMode) {
    ::chmod(program.Path("letter.txt").c_str(), 0600);
    ASSERT_EQ(Encipher(program.Path("new.cph")).status, 0);
    EXPECT_EQ(ModeOf(program.Path("new.cph")), 0600u);

    program.Write("kept.cph", "old");
    ::chmod(program.Path("kept.cph").c_str(), 0664);
    ASSERT_EQ(Encipher(program.Path("kept.cph")).status, 0);
    EXPECT_EQ(ModeOf(program.Path("kept.cph")), 0664u);

    RunOptions fromPipe;
    fromPipe.standardInput = program.Path("letter.txt");
    const mode_t mask = ::umask(022);
    ASSERT_EQ(program.Run({"-e", "-k", program.Path("key"), "-o", program.Path("piped.cph")}, fromPipe).status, 0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(program.Path("piped.cph")), 0644u) << "the mode new files get";
}

TEST_F(OutputTargets, MessagesUseTheSystemsWords) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string error;
    };
    const std::string key = program.Path("key");
    const std::string folder = program.Directory().string();
    const Case cases[] = {
        {{"-e", "-k", key, program.Path("missing")},
         66,
         "cannot open " + program.Path("missing") + ": No such file or directory"},
        {{"-e", "-k", key, folder}, 65, "cannot open " + folder + ": Is a directory"},
        {{"-e", "-k", key, "-o", folder, program.Path("letter.txt")},
         73,
         "cannot write " + folder + ": Is a directory"},
        {{"-e", "-k", program.Path("nokey"), program.Path("letter.txt")},
         64,
         "cannot read the key file " + program.Path("nokey") + ": No such file or directory"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = program.Run(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.error;
        EXPECT_EQ(outcome.errors, "ciphora: " + c.error + "\n");
    }
}

// A name cannot forge a log entry or put control characters on the terminal.
TEST_F(OutputTargets, NamesWithLineBreaksAndQuotesStayOnOneLine) {
    const std::string name = program.Path("forged\"\r\n\"x 01.01.2026 00:00:00\"\r\n\x1b[2J");
    const Outcome outcome = program.Run({"-e", "--log", program.Path("my.log"), "-k", program.Path("key"), name});
    EXPECT_EQ(outcome.status, 66);
    const std::string shown = program.Path("forged\\\"\\r\\n\\\"x 01.01.2026 00:00:00\\\"\\r\\n\\x1b[2J");
    EXPECT_EQ(outcome.errors, "ciphora: cannot open " + shown + ": No such file or directory\n");
    const std::string log = program.Read("my.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind("\"cannot open " + shown + ": No such file or directory ", 0), 0u) << log;
}

}  // namespace
}  // namespace ciphora
