#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Starting another program from a test, in the terms each operating system
// offers. One implementation per system.

namespace ciphora::testing {

struct ChildOptions {
    // Where the child's standard input comes from and its standard output and
    // standard error go; inherited when empty.
    std::string inputPath;
    std::string outputPath;
    std::string errorsPath;
    // Environment variables set for the child, or removed (no value).
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    // The largest file the child may write (POSIX systems only).
    std::optional<std::uint64_t> fileSizeLimit;
    // Without root's right to ignore file permissions (POSIX systems only).
    bool unprivileged = false;
    // Measure the child's peak memory; on POSIX systems through
    // /usr/bin/time, so that the pages of this test process do not count.
    bool measureMemory = false;
    // On Windows, quote the arguments as the C runtime splits them again,
    // so that each arrives as one, blanks, quotes and empty ones included;
    // otherwise they are joined as they stand.
    bool quoteArguments = false;
};

// What a started program's command line begins with: the emulator, with its
// arguments, when the tests were cross-built to run under one; else nothing.
std::vector<std::string> EmulatorCommand();

struct ChildExit {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    // The peak resident memory, when measured and the system reports it.
    std::optional<long> peakKiB;
};

// A running program, started with the arguments as its command line: on
// POSIX systems each one argument, on Windows joined with blanks after the
// quoted program name, as they stand (the raw text a console passes) unless
// quoteArguments asks for them to be quoted.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildOptions& options = {});
    // Waits for the child if nobody did.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Ends the child at once, as SIGKILL does (status 137 on either system).
    void Kill();
    // The system's process id.
    unsigned long Id() const { return id_; }
    ChildExit Wait();

private:
    ChildOptions options_;
    std::string memoryReport_;
    std::intptr_t process_ = -1;
    unsigned long id_ = 0;
    std::optional<ChildExit> exit_;
};

}  // namespace ciphora::testing
