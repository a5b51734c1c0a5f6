#include "ConsolePlatform.h"

#include <signal.h>

#include <csignal>
#include <cstdio>

namespace ciphora {

ConsolePlatform::ConsolePlatform(int argc, char** argv) : arguments_(argv + 1, argv + argc) {
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
        if (i > 0) commandLine_ += ' ';
        commandLine_ += arguments_[i];
    }
    // Where they cannot be ignored, an oversized output or a closed pipe end
    // the process as before.
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
}

void ConsolePlatform::ShowLogMessage(std::string_view message) {
    // The log keeps the message; standard error only shows it.
    static_cast<void>(std::fwrite(message.data(), 1, message.size(), stderr));
    static_cast<void>(std::fputc('\n', stderr));
}

void EndAsTheReaderLeft() {
    static_cast<void>(std::signal(SIGPIPE, SIG_DFL));
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    static_cast<void>(::sigprocmask(SIG_UNBLOCK, &pipe, nullptr));
    static_cast<void>(std::raise(SIGPIPE));
}

}  // namespace ciphora
