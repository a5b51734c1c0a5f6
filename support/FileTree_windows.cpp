#include "FileTree.h"

#include <windows.h>

#include <algorithm>

#include "RuntimeError.h"
#include "WindowsText.h"

namespace ciphora {

PathInfo LookAt(const std::string& path, bool followLinks) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Utf16(path).c_str(), GetFileExInfoStandard, &data)) return {};
    const DWORD attributes = data.dwFileAttributes;
    if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {PathKind::Link, 0};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {PathKind::Folder, 0};
    if (attributes & FILE_ATTRIBUTE_DEVICE) return {PathKind::Other, 0};
    return {PathKind::File, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

std::vector<std::string> FolderNames(const std::string& path) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileExW(Utf16(path + "\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) throw FileError(static_cast<long>(::GetLastError()), path);
    std::vector<std::string> names;
    do {
        const std::string name = Utf8(entry.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ciphora
