#include "AtomicFileWriter.h"

#include <windows.h>

#include "TemporaryNames.h"
#include "WindowsText.h"

namespace ciphora {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A process that cannot be opened for lack of rights is alive all the same.
bool ProcessIsAlive(unsigned long id) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool alive = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
}

// The finished file is an ordinary one, no longer hidden or temporary.
bool MakeOrdinary(HANDLE file) {
    FILE_BASIC_INFO info{};
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) : target_(targetPath) {
    if (targetPath.find('\0') != std::string::npos) throw WriteFailure(kBadFileNameOrNumber);
    // A read-only file is not replaced either, nor is a folder.
    const DWORD attributes = ::GetFileAttributesW(Utf16(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw WriteFailure(kPermissionDenied);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw WriteFailure(kPathFileAccessError);
    RemoveStaleTemporaries(target_);

    temporaryPath_ = NewTemporaryPath(SplitTargetPath(target_), ::GetCurrentProcessId());
    const HANDLE file = ::CreateFileW(Utf16(temporaryPath_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        temporaryPath_.clear();
        throw WriteFailure(FileError(static_cast<long>(error), target_));
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

void AtomicFileWriter::Discard() {
    if (handle_ != -1) ::CloseHandle(Native(handle_));
    handle_ = -1;
    if (!temporaryPath_.empty()) ::DeleteFileW(Utf16(temporaryPath_).c_str());
    temporaryPath_.clear();
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD written = 0;
        if (!::WriteFile(Native(handle_), bytes, chunk, &written, nullptr)) Fail(static_cast<long>(::GetLastError()));
        bytes += written;
        size -= written;
    }
}

void AtomicFileWriter::Commit() {
    const HANDLE file = Native(handle_);
    if (!::FlushFileBuffers(file) || !MakeOrdinary(file)) Fail(static_cast<long>(::GetLastError()));
    handle_ = -1;
    if (!::CloseHandle(file)) Fail(static_cast<long>(::GetLastError()));

    const std::wstring temporary = Utf16(temporaryPath_);
    const std::wstring target = Utf16(target_);
    // Replacing keeps the target's attributes and security; a new target is
    // a plain rename.
    const bool replaced = Exists(target) && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (!replaced &&
        !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(static_cast<long>(::GetLastError()));
    committed_ = true;
}

void RemoveStaleTemporaries(const std::string& targetPath) {
    const SplitPath target = SplitTargetPath(targetPath);
    const std::string prefix = TemporaryPrefix(target.name);
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(Utf16(target.directory + "\\" + prefix + "*").c_str(), FindExInfoBasic,
                                             &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // Leftovers of processes that are still alive may be in use.
        const std::string name = Utf8(entry.cFileName);
        const unsigned long owner = TemporaryOwner(name, prefix);
        if (owner > 0 && !ProcessIsAlive(owner)) ::DeleteFileW(Utf16(target.directory + "\\" + name).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

}  // namespace ciphora
