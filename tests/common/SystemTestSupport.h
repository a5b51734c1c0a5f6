#pragma once

#include <cstdint>
#include <functional>
#include <string>

// What a test arranges through the operating system, in the terms each
// system offers. One implementation per system.

namespace ciphora::testing {

// Runs `work` without root's right to ignore file permissions (in a child
// process as "nobody" when the tests run as root; on Windows, where no user
// may write a read-only file, as it is) and returns what it returned, or -1
// when the child failed.
int RunUnprivileged(const std::function<int()>& work);

// Keeps every reader out of a file while it lives: no permissions at all on
// POSIX systems (which binds all but root, see RunUnprivileged), an open
// handle that shares nothing on Windows.
class ReadersRefused {
public:
    explicit ReadersRefused(const std::string& path);
    ~ReadersRefused();
    ReadersRefused(const ReadersRefused&) = delete;
    ReadersRefused& operator=(const ReadersRefused&) = delete;

private:
    std::string path_;
    std::intptr_t handle_ = -1;
};

// Holds a file as a writer of the program holds its temporary file while it
// lives: open and locked on POSIX systems, open and shared with nobody on
// Windows.
class HeldAsWriting {
public:
    explicit HeldAsWriting(const std::string& path);
    ~HeldAsWriting();
    HeldAsWriting(const HeldAsWriting&) = delete;
    HeldAsWriting& operator=(const HeldAsWriting&) = delete;

private:
    std::intptr_t handle_ = -1;
};

// Makes a file hidden: on POSIX systems its name, which starts with ".",
// already does; on Windows it gets the hidden attribute.
void HideFile(const std::string& path);

unsigned long CurrentProcessId();

// Failures whose text the system words, for the messages that repeat it.
enum class SystemFailure { NoSuchFile, AccessDenied };
// The system's own words for `failure`, as the system says them.
std::string SystemWords(SystemFailure failure);

}  // namespace ciphora::testing

// Skips a test whose facility Windows lacks, saying which.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif
