#include "DirectorySearch.h"

#include <windows.h>

#include "RuntimeError.h"
#include "Wildcard.h"
#include "WindowsText.h"

namespace ciphora {

namespace {

// Names compare as the file system compares them: every letter in upper case.
std::wstring Folded(std::string_view text) {
    std::wstring wide = Utf16(text);
    ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

bool IsVisibleFile(DWORD attributes) {
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) == 0;
}

class WindowsListing : public DirectoryListing {
public:
    WindowsListing(HANDLE search, const WIN32_FIND_DATAW& first) : search_(search), entry_(first) {}
    ~WindowsListing() override { ::FindClose(search_); }
    WindowsListing(const WindowsListing&) = delete;
    WindowsListing& operator=(const WindowsListing&) = delete;

    std::optional<std::string> NextVisibleFile() override {
        while (!done_) {
            const WIN32_FIND_DATAW current = entry_;
            if (!::FindNextFileW(search_, &entry_)) {
                if (::GetLastError() != ERROR_NO_MORE_FILES) throw FileError(static_cast<long>(::GetLastError()), "");
                done_ = true;
            }
            if (IsVisibleFile(current.dwFileAttributes)) return Utf8(current.cFileName);
        }
        return std::nullopt;
    }

private:
    HANDLE search_;
    WIN32_FIND_DATAW entry_;  // the entry the next call hands out
    bool done_ = false;
};

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    const std::wstring foldedPattern = Folded(pattern);
    const std::wstring foldedName = Folded(name);
    return MatchesFoldedWildcard<wchar_t>(foldedPattern, foldedName);
}

std::unique_ptr<DirectoryListing> DirectoryListing::Open(const std::string& directory) {
    const std::wstring pattern = Utf16(directory + "\\*");
    WIN32_FIND_DATAW first{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &first, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    if (search != INVALID_HANDLE_VALUE) return std::make_unique<WindowsListing>(search, first);
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
        error == ERROR_INVALID_NAME)
        return nullptr;
    throw FileError(static_cast<long>(error), directory);
}

bool DirectoryListing::HoldsVisibleFile(const std::string& directory, const std::string& name) {
    const std::wstring path = Utf16(directory + "\\" + name);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsVisibleFile(attributes);
}

}  // namespace ciphora
