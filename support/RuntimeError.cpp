#include "RuntimeError.h"

#include <sys/stat.h>

#include <cerrno>

namespace ciphora {

std::string ErrorDescription(std::int32_t number) {
    switch (number) {
        case kInvalidProcedureCall: return "Invalid procedure call or argument";
        case kOverflow: return "Overflow";
        case kOutOfMemory: return "Out of memory";
        case kSubscriptOutOfRange: return "Subscript out of range";
        case kBadFileNameOrNumber: return "Bad file name or number";
        case kFileNotFound: return "File not found";
        case kDeviceIoError: return "Device I/O error";
        case kDiskFull: return "Disk full";
        case kInputPastEndOfFile: return "Input past end of file";
        case kTooManyFiles: return "Too many files";
        case kPermissionDenied: return "Permission denied";
        case kPathFileAccessError: return "Path/File access error";
        case kPathNotFound: return "Path not found";
        case kObjectNotSet: return "Object variable or With block variable not set";
        default: return "Application-defined or object-defined error";
    }
}

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

std::int32_t ErrorNumberFromErrno(int error, std::string_view path) {
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

RuntimeError::RuntimeError(std::int32_t number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(std::int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

RuntimeError FileError(int error, std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return RuntimeError(kBadFileNameOrNumber);
    return RuntimeError(ErrorNumberFromErrno(error, path));
}

}  // namespace ciphora
