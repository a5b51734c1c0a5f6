#include "Messages.h"

#include <cstdio>

#include "support/RuntimeError.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

void ShowOnStandardError(std::string_view text) {
    // Nothing is left to tell when standard error fails.
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stderr));
    static_cast<void>(std::fflush(stderr));
}

void Messages::Say(const std::string& message) {
    ShowOnStandardError("ciphora: " + message + "\n");
    if (!logFile_ || logFailed_) return;
    try {
        AppendLogEntry(message, *logFile_);
    } catch (const RuntimeError& error) {
        logFailed_ = true;
        ShowOnStandardError("ciphora: cannot write the log " + ShownName(*logFile_) + ": " + error.SystemText() + "\n");
    }
}

}  // namespace ciphora
