#include "AtomicFileWriter.h"

#include <windows.h>

#include "TemporaryNames.h"
#include "WindowsText.h"

namespace ciphora {

namespace {

// The finished file takes the attributes of the file it replaces (an
// ordinary one's for a new file), so it is no longer hidden or temporary.
// The modification time asked for goes with them.
bool TakeAttributesOf(HANDLE file, const std::wstring& target, const NewFileTraits& traits) {
    const DWORD replaced = ::GetFileAttributesW(target.c_str());
    FILE_BASIC_INFO info{};
    info.FileAttributes = replaced == INVALID_FILE_ATTRIBUTES
                              ? FILE_ATTRIBUTE_NORMAL
                              : replaced & ~static_cast<DWORD>(FILE_ATTRIBUTE_TEMPORARY);
    if (traits.modified) info.LastWriteTime.QuadPart = *traits.modified;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
}

}  // namespace

// Permission bits are a POSIX matter: a new file gets the folder's security.
AtomicFileWriter::AtomicFileWriter(const std::string& targetPath, NewFileTraits traits)
    : target_(targetPath), traits_(traits) {
    if (targetPath.find('\0') != std::string::npos) throw WriteFailure(kBadFileNameOrNumber);
    // A read-only file is not replaced either, nor is a folder.
    const DWORD attributes = ::GetFileAttributesW(Utf16(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw WriteFailure(FileError(ERROR_ACCESS_DENIED, target_));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw WriteFailure(kPathFileAccessError);
    RemoveStaleTemporaries(target_);

    // Shared with nobody while it is written: a cleaner can delete it only
    // once its writer has let go of it.
    HANDLE file = INVALID_HANDLE_VALUE;
    do {
        temporaryPath_ = NewTemporaryPath(SplitPath(target_));
        file = ::CreateFileW(Utf16(temporaryPath_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
    } while (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        temporaryPath_.clear();
        throw WriteFailure(FileError(static_cast<long>(error), target_));
    }
    file_ = SystemFile::Adopt(reinterpret_cast<std::intptr_t>(file), target_);
}

// Closed first: a file open with no sharing cannot be deleted.
void AtomicFileWriter::Discard() {
    file_.reset();
    if (!temporaryPath_.empty()) ::DeleteFileW(Utf16(temporaryPath_).c_str());
    temporaryPath_.clear();
}

void AtomicFileWriter::Commit() {
    const auto file = reinterpret_cast<HANDLE>(file_->NativeHandle());
    const std::wstring target = Utf16(target_);
    if (!::FlushFileBuffers(file) || !TakeAttributesOf(file, target, traits_))
        Fail(FileError(static_cast<long>(::GetLastError()), target_));
    try {
        file_->Close();
    } catch (const RuntimeError& error) {
        Fail(error);
    }
    // One rename, which the system makes atomic. A target that is held open
    // (the input being rewritten in place) refuses to be renamed over, and
    // only ReplaceFileW replaces it; it is no rename under wine, where it
    // moves the old file away before the new one takes its place, so it is
    // kept for that case alone.
    const std::wstring temporary = Utf16(temporaryPath_);
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        const bool heldOpen = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!heldOpen || !::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                         nullptr, nullptr))
            Fail(FileError(static_cast<long>(heldOpen ? ::GetLastError() : error), target_));
    }
    committed_ = true;
}

void RemoveStaleTemporaries(const std::string& targetPath) {
    const PathParts target = SplitPath(targetPath);
    const std::string prefix = TemporaryPrefix(target.name);
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(Utf16(target.directory + "\\" + prefix + "*").c_str(), FindExInfoBasic,
                                             &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // A file that its writer holds refuses to be deleted.
        const std::string name = Utf8(entry.cFileName);
        if (IsTemporaryOf(name, prefix)) ::DeleteFileW(Utf16(target.directory + "\\" + name).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

}  // namespace ciphora
