#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ciphora {

// Run-time error numbers. The program tests 52, 53, 70 and 76 by value; the
// others are fixed so that logs stay comparable from run to run and from one
// system to the other.
//
// Mapping of the operating system's errors (ErrorNumberFromSystemError):
//
//   POSIX (errno)                                          Windows (GetLastError)
//   ENOENT, file missing in an existing directory   53    ERROR_FILE_NOT_FOUND
//                                                          file not found
//   ENOENT with a missing directory on the path,    76    ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH,
//   ENOTDIR                                                ERROR_INVALID_DRIVE; path not found
//   ENAMETOOLONG, EINVAL, ELOOP, an embedded NUL    52    ERROR_INVALID_NAME, ERROR_BAD_PATHNAME,
//                                                          ERROR_FILENAME_EXCED_RANGE,
//                                                          ERROR_DIRECTORY, an embedded NUL;
//                                                          bad file name or number
//   EACCES, EPERM, EROFS, EBUSY, ETXTBSY,           70    ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
//   EAGAIN (lock)                                          ERROR_LOCK_VIOLATION, ERROR_WRITE_PROTECT,
//                                                          ERROR_USER_MAPPED_FILE; permission denied
//   ENOSPC, EDQUOT, EFBIG                           61    ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL,
//                                                          ERROR_FILE_TOO_LARGE; disk full
//   EIO                                             57    ERROR_CRC, ERROR_IO_DEVICE, ERROR_GEN_FAILURE,
//                                                          ERROR_READ_FAULT, ERROR_WRITE_FAULT,
//                                                          ERROR_NOT_READY; device I/O error
//   EMFILE, ENFILE                                  67    ERROR_TOO_MANY_OPEN_FILES; too many files
//   EISDIR and every other failure                  75    a directory opened as a file and every
//                                                          other failure; path/file access error
enum ErrorNumber : std::int32_t {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kBadFileNameOrNumber = 52,
    kFileNotFound = 53,
    kDeviceIoError = 57,
    kDiskFull = 61,
    kInputPastEndOfFile = 62,
    kTooManyFiles = 67,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kObjectNotSet = 91,
};

// The description text that goes with an error number.
std::string ErrorDescription(std::int32_t number);

// Maps an error of the operating system from an operation on `path` (errno
// on POSIX systems, GetLastError() on Windows) onto the numbers above.
std::int32_t ErrorNumberFromSystemError(long error, std::string_view path);

// The operating system's own text for its `error` (strerror on POSIX
// systems, FormatMessageW on Windows), in UTF-8 and on one line.
std::string SystemErrorText(long error);

// Whether the system's `error` from a write says that the reader at the
// other end of a pipe has gone away.
bool IsReaderGone(long error);

// A run-time failure passed to the caller: the error number and its text
// and, when the operating system reported it, the system's own error and
// its words for it.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(std::int32_t number);
    RuntimeError(std::int32_t number, const std::string& description);
    std::int32_t Number() const { return number_; }
    std::string Description() const { return what(); }
    // The system's error, 0 when the failure was not the system's.
    long SystemError() const { return systemError_; }
    // What people are told: the system's words where there are any, the
    // description otherwise.
    std::string SystemText() const;

private:
    friend RuntimeError FileError(long error, std::string_view path);

    std::int32_t number_;
    long systemError_ = 0;
};

// The failure of a file operation on `path` that gave the system's `error`.
RuntimeError FileError(long error, std::string_view path);

}  // namespace ciphora
