#include "RuntimeError.h"

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

RuntimeError::RuntimeError(std::int32_t number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(std::int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

std::string RuntimeError::SystemText() const { return systemError_ != 0 ? SystemErrorText(systemError_) : what(); }

RuntimeError FileError(long error, std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return RuntimeError(kBadFileNameOrNumber);
    RuntimeError failure(ErrorNumberFromSystemError(error, path));
    failure.systemError_ = error;
    return failure;
}

}  // namespace ciphora
