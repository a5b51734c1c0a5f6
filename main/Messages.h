#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ciphora {

// Writes `text` on standard error as it stands.
void ShowOnStandardError(std::string_view text);

// The messages of the options form: "ciphora: <message>" on standard error,
// and an entry in the log when --log names one. A log that cannot be written
// is said once, and ends the run with status 74.
class Messages {
public:
    Messages(std::optional<std::string> logFile, bool quiet) : logFile_(std::move(logFile)), quiet_(quiet) {}

    void Error(const std::string& message) { Say(message); }
    // A failure that concerns one file of many: "FILE: message".
    void FileError(const std::string& shownName, const std::string& message) { Say(shownName + ": " + message); }
    // Silenced by -q.
    void Warning(const std::string& message) {
        if (!quiet_) Say("warning: " + message);
    }
    // A warning that -q does not silence.
    void Caution(const std::string& message) { Say("warning: " + message); }
    bool LogFailed() const { return logFailed_; }

private:
    void Say(const std::string& message);

    std::optional<std::string> logFile_;
    bool quiet_;
    bool logFailed_ = false;
};

}  // namespace ciphora
