#pragma once

// UTF-8 inside the program, UTF-16 at every Win32 call. Included by the
// Windows sources of the platform layer only.

#include <windows.h>

#include <string>
#include <string_view>

namespace ciphora {

// Invalid UTF-8 becomes U+FFFD, as the system converts it.
inline std::wstring Utf16(std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

inline std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                          nullptr);
    return narrow;
}

}  // namespace ciphora
