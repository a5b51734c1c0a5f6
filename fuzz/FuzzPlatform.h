#pragma once

#include <cstdio>
#include <cstdlib>

#include "support/Platform.h"

namespace ciphora::fuzzing {

// A platform on which the log cannot be opened, so that log entries cost no
// file writes while fuzzing (a beep is all they cause, and it is silent).
class QuietPlatform : public Platform {
public:
    QuietPlatform() : installed_(*this) {}
    std::string ApplicationDirectory() const override { return "/dev/null"; }
    void Beep() override {}

private:
    ScopedPlatform installed_;
};

// Crashes the fuzzer, with a message, when a property does not hold.
#define FUZZ_CHECK(condition)                                                                                     \
    do {                                                                                                          \
        if (!(condition)) {                                                                                       \
            static_cast<void>(std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition)); \
            std::abort();                                                                                         \
        }                                                                                                         \
    } while (false)

}  // namespace ciphora::fuzzing
