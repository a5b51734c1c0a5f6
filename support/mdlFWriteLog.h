#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ciphora {

// The name of the log file kept in the application directory.
inline constexpr std::string_view kDefaultLogName = "VbAppErrorLog.txt";

// Appends one entry, "<trimmed message> dd.mm.yyyy hh:mm:ss" in double quotes
// and ended by CR LF, to the log file at `logPath`, or to the default log file
// in the application directory when `logPath` is blank. A log that cannot be
// opened, or stays locked by another writer for about two seconds, costs a
// beep and the entry; a failure after the open is raised as RuntimeError.
void FWriteLog(std::string_view message, std::string_view logPath);

// Appends the entry FWriteLog would append to the log file at `logPath`,
// showing nothing and raising RuntimeError on every failure: the open, a
// lock held too long, the write.
void AppendLogEntry(std::string_view message, const std::string& logPath);

// "TRAPPED ERROR!: <owner>.<procedure>-Error: <number>", with " <description>"
// appended when a description is given.
std::string TrappedErrorMessage(std::string_view owner, std::string_view procedure, std::int32_t number,
                                std::string_view description = {});

// Reports a run-time error caught by a procedure's error trap.
void LogTrappedError(std::string_view owner, std::string_view procedure, std::int32_t number,
                     std::string_view description = {});

}  // namespace ciphora
