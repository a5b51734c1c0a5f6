#include "mdlFileExist.h"

#include <optional>

#include "DirectorySearch.h"
#include "Platform.h"
#include "RuntimeError.h"
#include "SystemFile.h"
#include "mdlFWriteLog.h"

namespace ciphora {

namespace {

constexpr std::string_view kOwner = "mdlFileExist";
constexpr std::string_view kProcedure = "FileExist";
constexpr std::string_view kPrefix = "mdlFileExist.FileExist-";
constexpr int kMaxOddFailures = 5;

void Log(std::string_view text, std::string_view path) {
    std::string message(kPrefix);
    message += text;
    message += path;
    FWriteLog(message, "");
}

// Opens the file for reading only, disturbing no other reader or writer. A
// directory is no file, so it fails like any odd failure.
struct OpenAttempt {
    std::optional<SystemFile> file;
    std::int32_t error = 0;
};

OpenAttempt TryOpen(const std::string& path) {
    try {
        return {SystemFile::OpenToProbe(path), 0};
    } catch (const RuntimeError& error) {
        return {std::nullopt, error.Number()};
    }
}

bool FoundByDirectorySearch(const std::string& path) {
    try {
        return DirectorySearch(path).Next().has_value();
    } catch (const RuntimeError& error) {
        // Trapped; execution resumes in the success branch.
        LogTrappedError(kOwner, kProcedure, error.Number());
        return true;
    }
}

}  // namespace

std::int32_t FileExist(const std::string& path) {
    DoEvents();
    DoEvents();
    DoEvents();

    if (FoundByDirectorySearch(path)) return 1;

    if (path.find('*') != std::string::npos) {
        Log("Man versucht ein wildcard zu benutzen-folgendes quelle macht immer Fehler mit sowie: ", path);
        return 0;
    }
    const auto colon = path.find(':');
    if (colon != std::string::npos && path.find(':', colon + 1) != std::string::npos) {
        Log("Ein Filename mit zwei oder mehr : !! illegal!: ", path);
        return 0;
    }

    for (int oddFailures = 0;;) {
        OpenAttempt attempt = TryOpen(path);
        if (attempt.file) {
            try {
                attempt.file->Close();
            } catch (const RuntimeError& error) {
                LogTrappedError(kOwner, kProcedure, error.Number());
                return error.Number();
            }
            return 1;
        }
        switch (attempt.error) {
            case kFileNotFound:
            case kPathNotFound:
            case kBadFileNameOrNumber: return 0;
            case kPermissionDenied: Log("file open mit error 70-shared/locking error: ", path); return 1;
            default: break;
        }
        const std::string number = std::to_string(attempt.error);
        if (oddFailures == 0) Log("Error nicht 53!Error: " + number + " : ", path);
        if (++oddFailures > kMaxOddFailures) {
            Log("5 Mal Error nicht 53-endlich habe ich gesagt, dass file existiert! Error: " + number + " : ", path);
            return 1;
        }
    }
}

}  // namespace ciphora
