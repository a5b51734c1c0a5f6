#include <gtest/gtest.h>

#include <sstream>

#include "main/Options.h"
#include "main/ProgressMeter.h"

namespace ciphora {
namespace {

TEST(ParseOptions, ReadsEveryFormGnuStyle) {
    struct Case {
        std::vector<std::string> arguments;
        Options::Action action;
        std::string input;
        std::optional<std::string> output, keyFile, logFile;
        bool quiet;
    };
    using A = Options::Action;
    const Case cases[] = {
        {{"-e"}, A::Encipher, "-", {}, {}, {}, false},
        {{"-d", "in.cph"}, A::Decipher, "in.cph", {}, {}, {}, false},
        {{"-e", "-k", "my.key", "-o", "out", "in"}, A::Encipher, "in", "out", "my.key", {}, false},
        {{"-ek", "my.key", "-oout", "in"}, A::Encipher, "in", "out", "my.key", {}, false},
        {{"in", "-e", "-q"}, A::Encipher, "in", {}, {}, {}, true},
        {{"--decrypt", "--key-file=k", "--output", "o", "--log", "l", "--quiet"},
         A::Decipher,
         "-",
         "o",
         "k",
         "l",
         true},
        {{"-e", "--", "-odd-name"}, A::Encipher, "-odd-name", {}, {}, {}, false},
        {{"-e", "-"}, A::Encipher, "-", {}, {}, {}, false},
        {{"-h"}, A::Help, "-", {}, {}, {}, false},
        {{"--help"}, A::Help, "-", {}, {}, {}, false},
        {{"-V"}, A::Version, "-", {}, {}, {}, false},
        {{"--version"}, A::Version, "-", {}, {}, {}, false},
    };
    for (const Case& c : cases) {
        const ParsedOptions parsed = ParseOptions(c.arguments);
        const std::string shown = c.arguments.front() + (c.arguments.size() > 1 ? " " + c.arguments[1] : "");
        ASSERT_TRUE(parsed.options) << shown << ": " << parsed.refusal;
        EXPECT_EQ(parsed.options->action, c.action) << shown;
        EXPECT_EQ(parsed.options->input, c.input) << shown;
        EXPECT_EQ(parsed.options->output, c.output) << shown;
        EXPECT_EQ(parsed.options->keyFile, c.keyFile) << shown;
        EXPECT_EQ(parsed.options->logFile, c.logFile) << shown;
        EXPECT_EQ(parsed.options->quiet, c.quiet) << shown;
    }
}

TEST(ParseOptions, RefusesWhatItCannotRead) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-x"}, "unknown option -x"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--bogus=1"}, "unknown option --bogus"},
        {{"-e", "-k"}, "option -k needs a value"},
        {{"-e", "--output"}, "option --output needs a value"},
        {{"-e", "-d"}, "choose one of -e, -d, -t, --new-key, -h and -V"},
        {{"-q"}, "say -e to encipher or -d to decipher"},
        {{"-e", "a", "b"}, "one input at most; -i enciphers or deciphers many files in place"},
        // The key is never an option's value.
        {{"-e", "--key=117032209004188"},
         "the key is never taken from the command line, where others can read it; use -k KEYFILE or CIPHORA_KEY"},
        {{"-e", "--key", "117032209004188"},
         "the key is never taken from the command line, where others can read it; use -k KEYFILE or CIPHORA_KEY"},
    };
    for (const auto& [arguments, refusal] : cases) {
        const ParsedOptions parsed = ParseOptions(arguments);
        EXPECT_FALSE(parsed.options) << refusal;
        EXPECT_EQ(parsed.refusal, refusal + " (see ciphora --help)");
    }
}

TEST(HelpText, FitsEightyColumnsAndShowsBothFormsWithExamples) {
    const std::string help = HelpText();
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
    for (const char* part :
         {"ciphora -e [-k KEYFILE] [-o OUTPUT] [INPUT]", "ciphora -d [-k KEYFILE] [-o OUTPUT] [INPUT]",
          "ENC<key> | DENC<key>", "  ciphora -e -k my.key", "  ciphora -d -k my.key", "CIPHORA_KEY"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

class ProgressMeterTest : public ::testing::Test {
protected:
    ProgressMeter Meter(std::optional<std::uint64_t> total) {
        return ProgressMeter(
            total, [this] { return now; }, [this](std::string_view text) { shown += text; },
            [this] { return columns; });
    }
    double now = 100;
    std::optional<std::size_t> columns;
    std::string shown;
};

TEST_F(ProgressMeterTest, StaysQuietForTheFirstSecondAndThenShowsBytesPercentAndSpeed) {
    ProgressMeter meter = Meter(std::uint64_t{8} << 20);
    now = 100.9;
    meter.Update(1u << 20);
    EXPECT_EQ(shown, "");
    now = 102;
    meter.Update(4u << 20);
    EXPECT_EQ(shown, "\rciphora: 4.0 MiB  50%  2.0 MiB/s");
}

TEST_F(ProgressMeterTest, RedrawsAtMostFiveTimesASecondAndWipesItsLineAtTheEnd) {
    ProgressMeter meter = Meter(std::nullopt);
    now = 102;
    meter.Update(3u << 20);
    now = 102.1;
    meter.Update(3u << 21);
    EXPECT_EQ(shown, "\rciphora: 3.0 MiB  1.5 MiB/s") << "no percentage without a size, no second line so soon";
    now = 104;
    meter.Update(500);
    EXPECT_EQ(shown.substr(shown.rfind('\r')), "\rciphora: 500 B  125 B/s    ") << "a shorter line covers the longer";
    shown.clear();
    meter.Finish();
    EXPECT_EQ(shown, "\r" + std::string(27, ' ') + "\r");
}

// The line never reaches the last column, where the terminal would wrap it
// and every update would stand on a line of its own.
TEST_F(ProgressMeterTest, FitsTheTerminalsWidthDroppingTheSpeedThenThePercentage) {
    const std::pair<std::size_t, std::string> widths[] = {
        {80, "ciphora: 4.0 MiB  50%  2.0 MiB/s"},
        {33, "ciphora: 4.0 MiB  50%  2.0 MiB/s"},
        {32, "ciphora: 4.0 MiB  50%"},
        {22, "ciphora: 4.0 MiB  50%"},
        {21, "ciphora: 4.0 MiB"},
        {10, "ciphora: "},
        {1, ""},
    };
    for (const auto& [width, line] : widths) {
        columns = width;
        shown.clear();
        ProgressMeter meter = Meter(std::uint64_t{8} << 20);
        now += 2;
        meter.Update(std::uint64_t{4} << 20);
        EXPECT_EQ(shown, "\r" + line) << width;
        EXPECT_EQ(meter.Wipe(), "\r" + std::string(line.size(), ' ') + "\r");
        now -= 2;
    }
}

TEST_F(ProgressMeterTest, AQuickRunShowsNothingAtAll) {
    ProgressMeter meter = Meter(100);
    meter.Update(100);
    meter.Finish();
    EXPECT_EQ(shown, "");
}

}  // namespace
}  // namespace ciphora
