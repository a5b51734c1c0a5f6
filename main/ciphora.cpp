// The batch program: ciphora ENC<15 key digits> | DENC<15 key digits>.

#include <csignal>
#include <cstdio>
#include <string>

#include "main/mdlMain.h"
#include "support/Platform.h"
#include "support/RuntimeError.h"

namespace {

// The batch program's platform: the command line from the arguments, and
// every logged message shown on standard error as well.
class BatchPlatform : public ciphora::Platform {
public:
    BatchPlatform(int argc, char** argv) {
        for (int i = 1; i < argc; ++i) {
            if (i > 1) commandLine_ += ' ';
            commandLine_ += argv[i];
        }
    }

    std::string CommandLine() const override { return commandLine_; }

    void ShowLogMessage(std::string_view message) override {
        std::fwrite(message.data(), 1, message.size(), stderr);
        std::fputc('\n', stderr);
    }

private:
    std::string commandLine_;
};

}  // namespace

int main(int argc, char** argv) {
    // An output over the file size limit must fail its write, not end the
    // process halfway.
    std::signal(SIGXFSZ, SIG_IGN);
    BatchPlatform platform(argc, argv);
    const ciphora::ScopedPlatform installed(platform);
    try {
        return ciphora::Main();
    } catch (const ciphora::RuntimeError& error) {
        std::fprintf(stderr, "Run-time error %d: %s\n", error.Number(), error.what());
        return ciphora::kExitIoError;
    }
}
