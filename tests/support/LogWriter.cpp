// A log writer in a process of its own, for the concurrency test:
//   log_writer <log path> <writer number> <entries>
// Writes "writer <n> entry <i> xxx..." entries; exits 1 if any was lost.

#include <cstdlib>
#include <string>

#include "support/Platform.h"
#include "support/mdlFWriteLog.h"

namespace {
class CountingPlatform : public ciphora::Platform {
public:
    void Beep() override { ++beeps; }
    int beeps = 0;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    CountingPlatform platform;
    const ciphora::ScopedPlatform installed(platform);
    const std::string writer = argv[2];
    const int entries = std::atoi(argv[3]);
    for (int entry = 0; entry < entries; ++entry)
        ciphora::FWriteLog("writer " + writer + " entry " + std::to_string(entry) + " " + std::string(200, 'x'),
                           argv[1]);
    return platform.beeps == 0 ? 0 : 1;
}
