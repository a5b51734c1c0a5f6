#include "RuntimeError.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "PathParts.h"

namespace ciphora {

namespace {
// ENOENT does not say which part of the path is missing; the directory
// holding the last component decides between "file" and "path" not found.
bool ParentDirectoryExists(std::string_view path) {
    if (path.find('/') == std::string_view::npos) return true;
    struct stat info {};
    return ::stat(SplitPath(path).directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}  // namespace

std::int32_t ErrorNumberFromSystemError(long error, std::string_view path) {
    switch (error) {
        case ENOENT: return ParentDirectoryExists(path) ? kFileNotFound : kPathNotFound;
        case ENOTDIR: return kPathNotFound;
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP: return kBadFileNameOrNumber;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
        case ETXTBSY:
        case EAGAIN: return kPermissionDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return kDiskFull;
        case EIO: return kDeviceIoError;
        case EMFILE:
        case ENFILE: return kTooManyFiles;
        default: return kPathFileAccessError;
    }
}

std::string SystemErrorText(long error) { return std::strerror(static_cast<int>(error)); }

bool IsReaderGone(long error) { return error == EPIPE; }

}  // namespace ciphora
