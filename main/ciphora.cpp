// The batch program:
//   ciphora ENC<15 key digits> | DENC<15 key digits>   beside input.txt and output.txt
//   ciphora -e|-d [options] [INPUT]                    any file or pipe (ciphora --help)

#include <cstdio>

#include "main/OptionsMode.h"
#include "main/mdlMain.h"
#include "support/ConsolePlatform.h"
#include "support/RuntimeError.h"

int main(int argc, char** argv) {
    ciphora::ConsolePlatform platform(argc, argv);
    const ciphora::ScopedPlatform installed(platform);
    if (ciphora::IsOptionsCommandLine(platform.Arguments())) return ciphora::RunOptions(platform.Arguments());
    try {
        return ciphora::Main();
    } catch (const ciphora::RuntimeError& error) {
        // Standard error is the last place left to report to.
        static_cast<void>(std::fprintf(stderr, "Run-time error %d: %s\n", error.Number(), error.what()));
        return ciphora::kExitIoError;
    }
}
