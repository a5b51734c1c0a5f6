#include "ConsolePlatform.h"

#include <csignal>
#include <cstdio>

namespace ciphora {

ConsolePlatform::ConsolePlatform(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine_ += ' ';
        commandLine_ += argv[i];
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

void ConsolePlatform::ShowLogMessage(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace ciphora
