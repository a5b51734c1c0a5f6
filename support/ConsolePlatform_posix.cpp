#include "ConsolePlatform.h"

#include <csignal>
#include <cstdio>

namespace ciphora {

ConsolePlatform::ConsolePlatform(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine_ += ' ';
        commandLine_ += argv[i];
    }
    // Where it cannot be ignored, an oversized output ends the process as before.
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
}

void ConsolePlatform::ShowLogMessage(std::string_view message) {
    // The log keeps the message; standard error only shows it.
    static_cast<void>(std::fwrite(message.data(), 1, message.size(), stderr));
    static_cast<void>(std::fputc('\n', stderr));
}

}  // namespace ciphora
