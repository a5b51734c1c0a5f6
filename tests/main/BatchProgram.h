#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "common/TestPlatform.h"

namespace ciphora::testing {

struct Outcome {
    int status = -1;     // the exit status, or 128 + the signal that ended it
    std::string errors;  // what the program wrote on standard error
    long peakKiB = 0;    // its peak resident memory, when measured
};

struct RunOptions {
    std::optional<rlim_t> fileSizeLimit;
    bool unprivileged = false;  // as "nobody" when the tests run as root
    // Kills the program with SIGKILL after this long, if it still runs.
    std::optional<std::chrono::microseconds> killAfter;
    // Measures the program's peak memory (through /usr/bin/time, so that
    // the pages of this test process do not count).
    bool measureMemory = false;
};

// The real batch program, copied into a directory of its own (under `base`
// when given, the system's temporary directory otherwise).
class BatchProgram {
public:
    explicit BatchProgram(const std::filesystem::path& base = {});

    Outcome Run(const std::vector<std::string>& arguments, const RunOptions& options = {}) const;

    std::string Path(const std::string& name) const { return dir_.File(name); }
    std::string Read(const std::string& name) const { return ReadFile(dir_.Path() / name); }
    void Write(const std::string& name, const std::string& contents) const { WriteFile(dir_.Path() / name, contents); }
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
