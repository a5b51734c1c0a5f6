#pragma once

#include <ctime>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Platform.h"

namespace ciphora::testing {

// A temporary directory that is removed with everything in it.
class TempDir {
public:
    // Made in `base`, or in the system's temporary directory when empty.
    explicit TempDir(const std::filesystem::path& base = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The UTF-8 path of `name` in this directory.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Paths from and to UTF-8, the program's own encoding, on every system.
// The size of the largest streams the tests send through the program: a
// gibibyte, or 64 MiB under an emulator, where a gibibyte takes minutes.
#ifdef CIPHORA_EMULATED
inline constexpr std::size_t kLargeStreamMiB = 64;
#else
inline constexpr std::size_t kLargeStreamMiB = 1024;
#endif

std::filesystem::path Utf8Path(std::string_view text);
std::string Utf8Text(const std::filesystem::path& path);

std::string ReadFile(const std::filesystem::path& path);
// Random bytes, every value 0..255 possible, from a fixed seed.
std::string RandomBytes(std::size_t size, unsigned seed);
void WriteFile(const std::filesystem::path& path, const std::string& contents);

// A platform whose application directory is a temporary folder, whose event
// pump, beep and log display only count, and whose clocks tests can set.
class TestPlatform : public Platform {
public:
    TestPlatform();

    std::string CommandLine() const override { return commandLine; }
    std::string ApplicationDirectory() const override { return directory.Path().string(); }
    void ProcessEvents() override { ++eventPasses; }
    void SetMousePointer(MousePointer shape) override { pointers.push_back(shape); }
    float SecondsSinceMidnight() const override;
    double MonotonicSeconds() const override;
    std::tm LocalTime() const override { return localTime; }
    void Beep() override { ++beeps; }
    void ShowLogMessage(std::string_view message) override { shown.emplace_back(message); }

    // The log file of the application directory, as text.
    std::string Log() const;
    std::vector<std::string> LogMessages() const;

    TempDir directory;
    std::string commandLine;
    int eventPasses = 0;
    int beeps = 0;
    std::vector<MousePointer> pointers;
    std::vector<std::string> shown;
    std::tm localTime{};
    // Readings handed out one by one; once used up, the clocks stand still at
    // the last reading.
    mutable std::deque<double> monotonicReadings;
    mutable std::deque<float> timerReadings;

private:
    ScopedPlatform installed_;
};

}  // namespace ciphora::testing
