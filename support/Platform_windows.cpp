#include "Platform.h"

#include <windows.h>

#include <string>

#include "WindowsText.h"

namespace ciphora {

std::string Platform::ApplicationDirectory() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    // "C:\dir\ciphora.exe" -> "C:\dir"; "C:\ciphora.exe" -> "C:\".
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    const bool root = separator == 0 || (separator == 2 && path[1] == L':');
    path.resize(root ? separator + 1 : separator);
    return Utf8(path);
}

std::tm LocalCalendarTime(std::time_t moment) {
    std::tm local{};
    if (localtime_s(&local, &moment) != 0) return {};
    return local;
}

}  // namespace ciphora
