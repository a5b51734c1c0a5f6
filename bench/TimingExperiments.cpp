#include "TimingExperiments.h"

#include <array>
#include <string>
#include <vector>

#include "support/Platform.h"

namespace ciphora {

namespace {

constexpr const char* kLineBreak = "\r\n";

// Appends `lines` lines of `width` X to `text`, one character at a time.
void AppendLinesByCharacter(std::string& text, int lines, int width) {
    std::string line;
    for (int j = 0; j < lines; ++j) {
        for (int k = 0; k < width; ++k) line += 'X';
        text += line;
        text += kLineBreak;
        line.clear();
    }
}

// The texts are dropped unseen; noting their size keeps the compiler from
// dropping the work that built them.
volatile std::size_t discardedSize = 0;

void Discard(const std::string& text) { discardedSize = text.size(); }

}  // namespace

void SpeedTest(const TimingReport& report) {
    const double start = Timer();
    double pass = start;
    std::string text;
    for (int i = 0; i < 10; ++i) {
        AppendLinesByCharacter(text, 40, 500);
        report(Timer() - pass);
        pass = Timer();
    }
    report(Timer() - start);
    Discard(text);
}

void SpeedTest2(const TimingReport& report) {
    const double start = Timer();
    std::string text;
    AppendLinesByCharacter(text, 250, 800);
    report(Timer() - start);
    Discard(text);
}

void SpeedTest3(const TimingReport& report) {
    const double start = Timer();
    std::vector<std::string> lines(701);
    // NOLINTNEXTLINE(performance-inefficient-string-concatenation): the experiment times this very way of building
    for (std::string& line : lines) line = line + std::string(1020, 'X') + kLineBreak;
    std::string text;
    for (const std::string& line : lines) text += line;
    report(Timer() - start);
    Discard(text);
}

void SpeedTest4(const TimingReport& report) {
    constexpr std::size_t kSlot = 60000;
    const double start = Timer();
    std::vector<std::array<char, kSlot>> slots(11);
    for (auto& slot : slots) {
        const std::string block(kSlot, 'X');
        block.copy(slot.data(), kSlot);
    }
    std::string text;
    for (const auto& slot : slots) text.append(slot.data(), kSlot);
    report(Timer() - start);
    Discard(text);
}

}  // namespace ciphora
