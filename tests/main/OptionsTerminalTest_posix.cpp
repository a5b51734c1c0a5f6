// The options form where a person sits at a terminal, and where other users
// look at the process: POSIX pseudo terminals, FIFOs and /proc.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "BatchProgram.h"
#include "cipher/clsEncrypt.h"
#include "common/ChildProcess.h"
#include "common/KeyedCipher.h"

namespace ciphora {
namespace {

using testing::BatchProgram;

constexpr const char* kKey = testing::kTestKey;
using testing::Enciphered;
constexpr auto kPatience = std::chrono::seconds(20);

// The program on a pseudo terminal, which is its standard error and the
// terminal it asks on; its standard input and output are files.
class TerminalSession {
public:
    TerminalSession(const std::string& program, const std::vector<std::string>& arguments, const std::string& inputPath,
                    const std::string& outputPath, unsigned short columns = 80) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = columns;
        const std::vector<std::string> emulator = testing::EmulatorCommand();
        child_ = forkpty(&terminal_, nullptr, nullptr, &size);
        if (child_ == 0) {
            const int input = open(inputPath.c_str(), O_RDONLY);
            const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            dup2(input, 0);
            dup2(output, 1);
            // As a shell starts a program in the foreground: signals that a
            // background parent ignored act again.
            for (const int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU})
                static_cast<void>(std::signal(signal, SIG_DFL));
            unsetenv("CIPHORA_KEY");
            std::vector<const char*> argv;
            argv.reserve(emulator.size() + arguments.size() + 2);
            for (const std::string& word : emulator) argv.push_back(word.c_str());
            argv.push_back(program.c_str());
            for (const std::string& argument : arguments) argv.push_back(argument.c_str());
            argv.push_back(nullptr);
            execv(argv[0], const_cast<char* const*>(argv.data()));
            _exit(127);
        }
    }
    // A program still waiting when a test gave up on it is ended, so that
    // one failure cannot hang the suite.
    ~TerminalSession() {
        if (child_ > 0 && !status_) {
            kill(child_, SIGKILL);
            Wait();
        }
        close(terminal_);
    }

    // Reads what the terminal shows until `text` appears; false if it does not.
    bool Expect(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (screen_.find(text, expectedUpTo_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome()) return false;
        }
        expectedUpTo_ = screen_.find(text, expectedUpTo_) + text.size();
        return true;
    }
    void Type(const std::string& text) { ASSERT_EQ(write(terminal_, text.data(), text.size()), ssize_t(text.size())); }

    // Reads the rest of what is shown and waits for the program's end; a
    // program that has not ended when the patience runs out is killed.
    int Wait() {
        while (ReadSome()) {
        }
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (waitpid(child_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child_, SIGKILL);
                waitpid(child_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return *status_;
    }
    const std::string& Screen() const { return screen_; }
    // Whether the terminal echoes what is typed, as the program left it.
    bool Echoes() const {
        termios settings{};
        return tcgetattr(terminal_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    }

private:
    bool ReadSome() {
        pollfd ready{terminal_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) <= 0) return false;
        char buffer[4096];
        const ssize_t got = read(terminal_, buffer, sizeof buffer);
        if (got <= 0) return false;  // the program has closed the terminal
        screen_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int terminal_ = -1;
    pid_t child_ = -1;
    std::string screen_;
    std::size_t expectedUpTo_ = 0;
    std::optional<int> status_;
};

class OptionsOnATerminal : public ::testing::Test {
protected:
    OptionsOnATerminal() {
        program.Write("plain", "plain text\r\n");
        program.WritePrivate("key", std::string(kKey) + "\n");
    }
    std::string Program() const { return program.Path(BatchProgram::kExecutableName); }

    BatchProgram program;
};

TEST_F(OptionsOnATerminal, EncipheringAsksForTheKeyTwiceWithoutShowingIt) {
    TerminalSession session(Program(), {"-e", "-o", program.Path("cipher")}, program.Path("plain"),
                            program.Path("stdout"));
    ASSERT_TRUE(session.Expect("Key: "));
    session.Type(std::string(kKey) + "\n");
    ASSERT_TRUE(session.Expect("Key again: "));
    session.Type(std::string(kKey) + "\n");
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_EQ(program.Read("cipher"), Enciphered("plain text\r\n"));
    EXPECT_EQ(session.Screen().find(kKey), std::string::npos) << "the typed key was echoed: " << session.Screen();
}

TEST_F(OptionsOnATerminal, TwoDifferentKeysAreRefusedAndNothingIsWritten) {
    TerminalSession session(Program(), {"-e", "-o", program.Path("cipher")}, program.Path("plain"),
                            program.Path("stdout"));
    ASSERT_TRUE(session.Expect("Key: "));
    session.Type(std::string(kKey) + "\n");
    ASSERT_TRUE(session.Expect("Key again: "));
    session.Type("117032209004189\n");
    EXPECT_EQ(session.Wait(), 64);
    EXPECT_NE(session.Screen().find("ciphora: the two keys typed differ"), std::string::npos) << session.Screen();
    EXPECT_FALSE(program.Exists("cipher"));
}

// Ctrl-Z at the prompt gives the terminal back; on resuming, the program
// turns echo off again and asks anew. (With no shell in the session the stop
// itself is discarded, and the program resumes at once.)
TEST_F(OptionsOnATerminal, APromptSuspendedAndResumedAsksAgainWithoutEcho) {
    program.Write("cipher", Enciphered("plain text\r\n"));
    TerminalSession session(Program(), {"-d"}, program.Path("cipher"), program.Path("stdout"));
    ASSERT_TRUE(session.Expect("Key: "));
    EXPECT_FALSE(session.Echoes());
    session.Type("\x1a");
    ASSERT_TRUE(session.Expect("\nKey: ")) << session.Screen();
    EXPECT_FALSE(session.Echoes());
    session.Type(std::string(kKey) + "\n");
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_EQ(session.Screen().find(kKey), std::string::npos) << "the typed key was echoed: " << session.Screen();
    EXPECT_EQ(program.Read("stdout"), "plain text\r\n");
}

TEST_F(OptionsOnATerminal, CtrlCAtThePromptGivesTheEchoBack) {
    TerminalSession session(Program(), {"-d"}, program.Path("plain"), program.Path("stdout"));
    ASSERT_TRUE(session.Expect("Key: "));
    session.Type("\x03");
    EXPECT_EQ(session.Wait(), 128 + SIGINT);
    EXPECT_TRUE(session.Echoes());
}

TEST_F(OptionsOnATerminal, DecipheringAsksOnce) {
    program.Write("cipher", Enciphered("plain text\r\n"));
    TerminalSession session(Program(), {"-d"}, program.Path("cipher"), program.Path("stdout"));
    ASSERT_TRUE(session.Expect("Key: "));
    session.Type(std::string(kKey) + "\n");
    EXPECT_EQ(session.Wait(), 0) << session.Screen();
    EXPECT_EQ(session.Screen().find("again"), std::string::npos);
    EXPECT_EQ(program.Read("stdout"), "plain text\r\n");
}

// Feeds a FIFO slowly, so that the work lasts more than the second after
// which progress shows.
void FeedSlowly(const std::string& fifo) {
    const int writer = open(fifo.c_str(), O_WRONLY);
    const std::string chunk(64u << 10, 'x');
    for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(write(writer, chunk.data(), chunk.size()), ssize_t(chunk.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    close(writer);
}

TEST_F(OptionsOnATerminal, ProgressShowsOnATerminalOnly) {
    ASSERT_EQ(mkfifo(program.Path("fifo").c_str(), 0600), 0);
    {
        TerminalSession session(Program(), {"-e", "-k", program.Path("key"), "-o", program.Path("cipher")},
                                program.Path("fifo"), program.Path("stdout"));
        FeedSlowly(program.Path("fifo"));
        EXPECT_EQ(session.Wait(), 0);
        EXPECT_NE(session.Screen().find("\rciphora: "), std::string::npos) << session.Screen();
        EXPECT_NE(session.Screen().find("KiB/s"), std::string::npos) << session.Screen();
    }
    testing::ChildOptions options;
    options.inputPath = program.Path("fifo");
    options.outputPath = program.Path("stdout");
    options.errorsPath = program.Path("stderr");
    testing::ChildProcess child(Program(), {"-e", "-k", program.Path("key")}, options);
    FeedSlowly(program.Path("fifo"));
    EXPECT_EQ(child.Wait().status, 0);
    EXPECT_EQ(program.Read("stderr"), "");
    EXPECT_EQ(program.Read("stdout"), Enciphered(std::string(std::size_t{16} << 16, 'x')));
}

// Every progress line fits a narrow terminal, so each update overwrites the
// last; Ctrl-C wipes the line before the program ends.
TEST_F(OptionsOnATerminal, ProgressFitsANarrowTerminalAndCtrlCWipesIt) {
    ASSERT_EQ(mkfifo(program.Path("fifo").c_str(), 0600), 0);
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));  // the feeder outlives its reader
    TerminalSession session(Program(), {"-e", "-k", program.Path("key"), "-o", program.Path("cipher")},
                            program.Path("fifo"), program.Path("stdout"), 30);
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        const int writer = open(program.Path("fifo").c_str(), O_WRONLY);
        const std::string chunk(64u << 10, 'x');
        while (feeding && write(writer, chunk.data(), chunk.size()) > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        close(writer);
    });
    const bool shown = session.Expect("/s");
    session.Type("\x03");
    const int status = session.Wait();
    feeding = false;
    feeder.join();
    ASSERT_TRUE(shown) << session.Screen();
    EXPECT_EQ(status, 128 + SIGINT);
    std::string screen = session.Screen();
    // The terminal's own echo of Ctrl-C is not the program's.
    if (const std::size_t echo = screen.find("^C"); echo != std::string::npos) screen.erase(echo, 2);
    for (std::size_t start = screen.find('\r'); start != std::string::npos; start = screen.find('\r', start + 1)) {
        const std::size_t end = std::min(screen.find('\r', start + 1), screen.size());
        EXPECT_LT(end - start - 1, 30u) << "a line wider than the terminal: "
                                        << screen.substr(start + 1, end - start - 1);
    }
    ASSERT_GE(screen.size(), 2u);
    EXPECT_EQ(screen.back(), '\r') << "the line is wiped";
    EXPECT_EQ(screen.substr(screen.rfind('\r', screen.size() - 2)).find_first_not_of(" \r"), std::string::npos);
    EXPECT_FALSE(program.Exists("cipher"));
}

TEST_F(OptionsOnATerminal, TheKeyStaysOffTheProcessListAndTheLog) {
    ASSERT_EQ(mkfifo(program.Path("fifo").c_str(), 0600), 0);
    testing::ChildOptions options;
    options.inputPath = program.Path("fifo");
    options.outputPath = program.Path("stdout");
    options.errorsPath = program.Path("stderr");
    testing::ChildProcess child(Program(), {"-d", "-k", program.Path("key"), "--log", program.Path("log")}, options);
    // Once the program runs it waits for its input: look at it as another
    // user would.
    const int writer = open(program.Path("fifo").c_str(), O_WRONLY);
    std::string commandLine;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (commandLine.find(program.Path("key")) == std::string::npos && std::chrono::steady_clock::now() < deadline)
        commandLine = testing::ReadFile("/proc/" + std::to_string(child.Id()) + "/cmdline");
    ASSERT_NE(commandLine.find(program.Path("key")), std::string::npos) << "the program did not start";
    EXPECT_EQ(commandLine.find(kKey), std::string::npos);
    const std::string text = "999" + Enciphered("plain");
    ASSERT_EQ(write(writer, text.data(), text.size()), ssize_t(text.size()));
    close(writer);
    EXPECT_EQ(child.Wait().status, 0);
    ASSERT_NE(program.Read("log"), "") << "a warning was logged";
    EXPECT_EQ(program.Read("log").find(kKey), std::string::npos);
    EXPECT_EQ(program.Read("stderr").find(kKey), std::string::npos);
}

TEST(OptionsThroughPipes, ALargeStreamRoundTripsInFlatMemory) {
    const BatchProgram program(std::filesystem::exists("/dev/shm") ? "/dev/shm" : "");
    program.WritePrivate("key", std::string(kKey) + "\n");
    {
        std::ofstream file(program.Path("big"), std::ios::binary);
        const std::string block = testing::RandomBytes(1u << 20, 12);
        for (std::size_t i = 0; i < testing::kLargeStreamMiB; ++i) file << block;
    }
    std::string ciphora;
    for (const std::string& word : testing::EmulatorCommand()) ciphora += "'" + word + "' ";
    ciphora += "'" + program.Path(BatchProgram::kExecutableName) + "'";
    const std::string pipeline = "cat '" + program.Path("big") + "' | /usr/bin/time -f %M -o '" +
                                 program.Path("enc.kib") + "' " + ciphora + " -e -k '" + program.Path("key") +
                                 "' | /usr/bin/time -f %M -o '" + program.Path("dec.kib") + "' " + ciphora +
                                 " -d -k '" + program.Path("key") + "' | cmp - '" + program.Path("big") + "'";
    ASSERT_EQ(std::system(pipeline.c_str()), 0) << pipeline;
    // Sanitized programs hold freed memory back, and an emulator's own
    // memory counts in with the program's.
#if !defined(CIPHORA_SANITIZED) && !defined(CIPHORA_EMULATED)
    EXPECT_LT(std::stol(program.Read("enc.kib")), 32 * 1024);
    EXPECT_LT(std::stol(program.Read("dec.kib")), 32 * 1024);
#endif
}

}  // namespace
}  // namespace ciphora
