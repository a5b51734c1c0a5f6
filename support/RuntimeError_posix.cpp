#include "RuntimeError.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace ciphora {

namespace {
// ENOENT does not say which part of the path is missing; the directory
// holding the last component decides between "file" and "path" not found.
bool ParentDirectoryExists(std::string_view path) {
    const std::string text(path);
    const auto slash = text.find_last_of('/');
    if (slash == std::string::npos) return true;
    const std::string parent = slash == 0 ? "/" : text.substr(0, slash);
    struct stat info {};
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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
