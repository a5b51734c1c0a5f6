#include "Terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace ciphora::Terminal {

namespace {

void WriteAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The signals that stop or end the process while it waits at the prompt:
// the terminal is given back before each takes effect.
constexpr std::array<int, 7> kPromptSignals{SIGTSTP, SIGTTIN, SIGTTOU, SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t caughtSignal = 0;
void CatchAtPrompt(int signal) { caughtSignal = signal; }

// While it lives, the terminal does not echo, and the signals above
// interrupt the wait for a line instead of acting at once. What was typed
// before is dropped, as it was typed before anybody asked.
//
// The signals stay blocked except inside the wait itself, which unblocks
// them atomically: one that comes between the prompt and the wait is held
// until the wait begins, and so never leaves the program waiting for a line
// whose prompt the signal has taken away.
class SecretPrompt {
public:
    SecretPrompt(int terminal, std::string_view prompt) : terminal_(terminal), prompt_(prompt) {
        echoing_ = ::tcgetattr(terminal_, &saved_) == 0;
        struct sigaction catching {};
        catching.sa_handler = CatchAtPrompt;
        sigemptyset(&catching.sa_mask);
        sigset_t blocked;
        sigemptyset(&blocked);
        for (std::size_t i = 0; i < kPromptSignals.size(); ++i) {
            ::sigaction(kPromptSignals[i], &catching, &before_[i]);
            sigaddset(&blocked, kPromptSignals[i]);
        }
        ::sigprocmask(SIG_BLOCK, &blocked, &unblocked_);
        Show(TCSAFLUSH);
    }
    ~SecretPrompt() {
        Restore();
        for (std::size_t i = 0; i < kPromptSignals.size(); ++i) ::sigaction(kPromptSignals[i], &before_[i], nullptr);
        ::sigprocmask(SIG_SETMASK, &unblocked_, nullptr);
    }
    SecretPrompt(const SecretPrompt&) = delete;
    SecretPrompt& operator=(const SecretPrompt&) = delete;

    // The next character typed, or nothing at the end of the terminal's
    // input. A signal on the way lets the signal act as it would have with
    // the terminal as it was and, when the process goes on (fg after
    // Ctrl-Z), asks again and drops what was typed so far.
    std::optional<char> NextCharacter(std::string& typed) {
        for (;;) {
            if (ActOnSignal()) typed.clear();
            pollfd ready{terminal_, POLLIN, 0};
            if (::ppoll(&ready, 1, nullptr, &unblocked_) < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            char c;
            const ssize_t got = ::read(terminal_, &c, 1);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) return std::nullopt;
            return c;
        }
    }

private:
    bool ActOnSignal() {
        const int signal = caughtSignal;
        if (signal == 0) return false;
        caughtSignal = 0;
        Restore();
        WriteAll(terminal_, "\n");
        const std::size_t index = static_cast<std::size_t>(
            std::find(kPromptSignals.begin(), kPromptSignals.end(), signal) - kPromptSignals.begin());
        struct sigaction catching {};
        ::sigaction(signal, &before_[index], &catching);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        static_cast<void>(::raise(signal));
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);  // it acts here
        ::sigprocmask(SIG_BLOCK, &only, nullptr);
        ::sigaction(signal, &catching, nullptr);
        Show(TCSANOW);
        return true;
    }

private:
    // Echo off, before the prompt shows, so that no answer to it is lost.
    void Show(int when) {
        if (echoing_) {
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            static_cast<void>(::tcsetattr(terminal_, when, &quiet));
        }
        WriteAll(terminal_, prompt_);
    }
    void Restore() {
        if (echoing_) static_cast<void>(::tcsetattr(terminal_, TCSANOW, &saved_));
    }

    int terminal_;
    std::string_view prompt_;
    termios saved_{};
    bool echoing_ = false;
    std::array<struct sigaction, kPromptSignals.size()> before_{};
    sigset_t unblocked_{};
};

// What a signal that ends the process writes on standard error first.
std::array<char, 1024> wipe{};
std::atomic<std::size_t> wipeLength{0};

void WipeAndEnd(int signal) {
    const std::size_t length = wipeLength.load();
    if (length > 0) static_cast<void>(::write(2, wipe.data(), length));
    static_cast<void>(std::signal(signal, SIG_DFL));
    static_cast<void>(::raise(signal));
}

}  // namespace

void SetWipeOnInterrupt(std::string_view text) {
    static const bool installed = [] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current {};
            // A signal that the caller ignores stays ignored.
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
                static_cast<void>(std::signal(signal, WipeAndEnd));
        }
        return true;
    }();
    static_cast<void>(installed);
    const std::size_t length = std::min(text.size(), wipe.size());
    wipeLength = 0;
    std::copy_n(text.begin(), length, wipe.begin());
    wipeLength = length;
}

bool StandardErrorIsTerminal() { return ::isatty(2) == 1; }

std::optional<std::size_t> StandardErrorColumns() {
    winsize size{};
    if (::ioctl(2, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
    return size.ws_col;
}

std::optional<std::string> ReadSecret(std::string_view prompt) {
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) return std::nullopt;
    std::optional<std::string> line;
    {
        SecretPrompt asking(terminal, prompt);
        std::string typed;
        while (const std::optional<char> c = asking.NextCharacter(typed)) {
            if (*c == '\n') {
                line = typed;
                break;
            }
            if (*c != '\r') typed += *c;
        }
    }
    WriteAll(terminal, "\n");
    ::close(terminal);
    return line;
}

}  // namespace ciphora::Terminal
