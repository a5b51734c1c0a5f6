#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/TestPlatform.h"

namespace ciphora::testing {

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    // What the program wrote on standard error, lines ended by LF on every
    // system.
    std::string errors;
    // Its peak resident memory, when measured and the system reports it.
    std::optional<long> peakKiB;
    std::string output;  // what it wrote on standard output
};

struct RunOptions {
    std::optional<std::uint64_t> fileSizeLimit;  // POSIX systems only
    bool unprivileged = false;                   // as "nobody" when the tests run as root
    // Kills the program as SIGKILL does after this long, if it still runs.
    std::optional<std::chrono::microseconds> killAfter;
    bool measureMemory = false;
    // The file its standard input reads; none when empty.
    std::string standardInput;
    // Where its standard output goes instead of being captured.
    std::string standardOutput;
    // Environment variables set, or removed (no value); CIPHORA_KEY is
    // removed unless set here.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
};

// Text written in a text mode, which writes CR LF where the program wrote
// LF, with its line ends as written.
std::string WithPlainLineEnds(const std::string& text);

// The status of a program that was killed.
inline constexpr int kKilledStatus = 128 + 9;

// The real batch program, copied into a directory of its own (under `base`
// when given, the system's temporary directory otherwise).
class BatchProgram {
public:
    // The program's file name: "ciphora", or "ciphora.exe" on Windows.
    static const std::string kExecutableName;

    explicit BatchProgram(const std::filesystem::path& base = {});

    Outcome Run(const std::vector<std::string>& arguments, const RunOptions& options = {}) const;

    std::string Path(const std::string& name) const { return dir_.File(name); }
    std::string Read(const std::string& name) const { return ReadFile(dir_.Path() / name); }
    void Write(const std::string& name, const std::string& contents) const { WriteFile(dir_.Path() / name, contents); }
    // Written for its owner's eyes alone, as a key file should be.
    void WritePrivate(const std::string& name, const std::string& contents) const {
        Write(name, contents);
        std::filesystem::permissions(dir_.Path() / name,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.Path() / name); }
    const std::filesystem::path& Directory() const { return dir_.Path(); }

    // The messages of the log entries, without their time stamps.
    std::vector<std::string> LogMessages() const;
    // The names in the program's directory.
    std::vector<std::string> Entries() const;

private:
    TempDir dir_;
    TempDir scratch_;
};

}  // namespace ciphora::testing
