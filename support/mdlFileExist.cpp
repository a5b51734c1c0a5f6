#include "mdlFileExist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "DirectorySearch.h"
#include "Platform.h"
#include "RuntimeError.h"
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
// directory opens on this platform but is no file, so it fails like any odd
// failure.
struct OpenAttempt {
    int descriptor = -1;
    std::int32_t error = 0;
};

OpenAttempt TryOpen(const std::string& path) {
    if (path.find('\0') != std::string::npos) return {-1, kBadFileNameOrNumber};
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return {-1, ErrorNumberFromErrno(errno, path)};
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(descriptor);
        return {-1, ErrorNumberFromErrno(EISDIR, path)};
    }
    return {descriptor, 0};
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

std::int32_t FileExist(std::string path) {
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
        const OpenAttempt attempt = TryOpen(path);
        if (attempt.descriptor >= 0) {
            if (::close(attempt.descriptor) != 0) {
                const std::int32_t number = ErrorNumberFromErrno(errno, path);
                LogTrappedError(kOwner, kProcedure, number);
                return number;
            }
            return 1;
        }
        switch (attempt.error) {
            case kFileNotFound:
            case kPathNotFound:
            case kBadFileNameOrNumber: return 0;
            case kPermissionDenied:
                Log("file open mit error 70-shared/locking error: ", path);
                return 1;
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
