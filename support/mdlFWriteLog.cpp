#include "mdlFWriteLog.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <thread>

#include "Platform.h"
#include "RuntimeError.h"
#include "SystemFile.h"
#include "Text.h"

namespace ciphora {

namespace {

constexpr auto kLockPatience = std::chrono::seconds(2);
constexpr auto kLockRetryPause = std::chrono::milliseconds(5);

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// Messages of the plain progress kinds skip the extra pass of event
// processing before the write; everything else gets it.
bool WantsExtraEventPass(std::string_view message) {
    const std::string upper = UpperCase(message);
    if (Contains(upper, "TRAPPED ERROR") || Contains(upper, "VERBINDUNG") || Contains(upper, "ILLEGAL")) return true;
    if (Contains(message, "noch nicht getan")) return false;
    if (Contains(message, "existiert nicht")) return true;
    return !message.starts_with("INFO");
}

std::string TimeStamp(const std::tm& time) {
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &time);
    return std::string(text, length);
}

// Opens the log and waits, within bounds, for writers of other processes
// to finish their entry.
SystemFile OpenLockedLog(const std::string& path) {
    SystemFile log = SystemFile::OpenForAppending(path);
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    while (!log.TryLock()) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw RuntimeError(kPermissionDenied, "The log stays locked by another writer");
        std::this_thread::sleep_for(kLockRetryPause);
    }
    return log;
}

void WriteEntry(SystemFile& log, std::string_view text) {
    std::string entry;
    entry.reserve(text.size() + 24);
    entry += '"';
    entry += text;
    entry += ' ';
    entry += TimeStamp(CurrentPlatform().LocalTime());
    entry += "\"\r\n";
    log.Write(entry);
    log.Close();
}

}  // namespace

void FWriteLog(std::string_view message, std::string_view logPath) {
    Platform& platform = CurrentPlatform();
    platform.ProcessEvents();
    platform.ProcessEvents();
    if (WantsExtraEventPass(message)) platform.ProcessEvents();

    const std::string_view text = TrimBlanks(message);
    platform.ShowLogMessage(text);

    const std::string path = IsBlank(logPath) ? AppFile(kDefaultLogName) : std::string(logPath);
    std::optional<SystemFile> log;
    try {
        log.emplace(OpenLockedLog(path));
    } catch (const RuntimeError&) {
        platform.Beep();
        return;
    }
    WriteEntry(*log, text);
}

void AppendLogEntry(std::string_view message, const std::string& logPath) {
    SystemFile log = OpenLockedLog(logPath);
    WriteEntry(log, TrimBlanks(message));
}

std::string TrappedErrorMessage(std::string_view owner, std::string_view procedure, std::int32_t number,
                                std::string_view description) {
    std::string message = "TRAPPED ERROR!: ";
    message += owner;
    message += '.';
    message += procedure;
    message += "-Error: ";
    message += std::to_string(number);
    if (!description.empty()) {
        message += ' ';
        message += description;
    }
    return message;
}

void LogTrappedError(std::string_view owner, std::string_view procedure, std::int32_t number,
                     std::string_view description) {
    FWriteLog(TrappedErrorMessage(owner, procedure, number, description), "");
}

}  // namespace ciphora
