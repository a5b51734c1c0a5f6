#include "RuntimeError.h"

#include <windows.h>

#include "WindowsText.h"

namespace ciphora {

std::int32_t ErrorNumberFromSystemError(long error, std::string_view) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: return kFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE: return kPathNotFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY: return kBadFileNameOrNumber;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_USER_MAPPED_FILE: return kPermissionDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_FILE_TOO_LARGE: return kDiskFull;
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_GEN_FAILURE:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_NOT_READY: return kDeviceIoError;
        case ERROR_TOO_MANY_OPEN_FILES: return kTooManyFiles;
        default: return kPathFileAccessError;
    }
}

std::string SystemErrorText(long error) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return "Windows error " + std::to_string(error);
    std::wstring message(text, length);
    ::LocalFree(text);
    // The system ends its texts with a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return Utf8(message);
}

bool IsReaderGone(long error) { return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE; }

}  // namespace ciphora
