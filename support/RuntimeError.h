#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ciphora {

// Run-time error numbers. The program tests 52, 53, 70 and 76 by value; the
// others are fixed so that logs stay comparable from run to run.
//
// Mapping of the operating system's errors (ErrorNumberFromErrno):
//   ENOENT, file missing in an existing directory ....... 53 file not found
//   ENOENT with a missing directory on the path, ENOTDIR . 76 path not found
//   ENAMETOOLONG, EINVAL, an embedded NUL, ELOOP ......... 52 bad file name
//   EACCES, EPERM, EROFS, EBUSY, ETXTBSY, EAGAIN (lock) .. 70 permission denied
//   ENOSPC, EDQUOT, EFBIG ................................ 61 disk full
//   EIO .................................................. 57 device I/O error
//   EMFILE, ENFILE ....................................... 67 too many files
//   EISDIR and every other failure ....................... 75 path/file access error
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

// Maps an errno value from an operation on `path` onto the numbers above.
std::int32_t ErrorNumberFromErrno(int error, std::string_view path);

// A run-time failure passed to the caller: the error number and its text.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(std::int32_t number);
    RuntimeError(std::int32_t number, const std::string& description);
    std::int32_t Number() const { return number_; }
    std::string Description() const { return what(); }

private:
    std::int32_t number_;
};

// The failure of a file operation on `path` that set `error` (an errno value).
RuntimeError FileError(int error, std::string_view path);

}  // namespace ciphora
