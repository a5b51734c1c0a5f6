#include "Terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace ciphora::Terminal {

namespace {

void WriteAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Echo off for as long as it lives. What was typed before is dropped, as
// it was typed before anybody asked; what is typed meanwhile is kept.
class EchoOff {
public:
    explicit EchoOff(int descriptor) : descriptor_(descriptor) {
        active_ = ::tcgetattr(descriptor_, &saved_) == 0;
        if (!active_) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(descriptor_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(descriptor_, TCSANOW, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int descriptor_;
    termios saved_{};
    bool active_ = false;
};

}  // namespace

bool StandardErrorIsTerminal() { return ::isatty(2) == 1; }

std::optional<std::string> ReadSecret(std::string_view prompt) {
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) return std::nullopt;
    std::optional<std::string> line;
    {
        // Quiet before the prompt shows, so that no answer to it is lost.
        const EchoOff hidden(terminal);
        WriteAll(terminal, prompt);
        std::string typed;
        char c;
        for (;;) {
            const ssize_t got = ::read(terminal, &c, 1);
            if (got <= 0) break;
            if (c == '\n') {
                line = typed;
                break;
            }
            if (c != '\r') typed += c;
        }
    }
    WriteAll(terminal, "\n");
    ::close(terminal);
    return line;
}

}  // namespace ciphora::Terminal
