#include "SystemTestSupport.h"

#include <windows.h>

#include <filesystem>

#include "TestPlatform.h"

namespace ciphora::testing {

int RunUnprivileged(const std::function<int()>& work) { return work(); }

ReadersRefused::ReadersRefused(const std::string& path) : path_(path) {
    const HANDLE held =
        CreateFileW(Utf8Path(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = reinterpret_cast<std::intptr_t>(held);
}

ReadersRefused::~ReadersRefused() {
    if (reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

HeldAsWriting::HeldAsWriting(const std::string& path)
    : handle_(reinterpret_cast<std::intptr_t>(CreateFileW(Utf8Path(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

HeldAsWriting::~HeldAsWriting() {
    if (reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void HideFile(const std::string& path) {
    const std::wstring wide = Utf8Path(path).native();
    SetFileAttributesW(wide.c_str(), GetFileAttributesW(wide.c_str()) | FILE_ATTRIBUTE_HIDDEN);
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

std::string SystemWords(SystemFailure failure) {
    const DWORD error = failure == SystemFailure::NoSuchFile ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 512, nullptr);
    std::wstring words(text, length);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return Utf8Text(std::filesystem::path(words));
}

}  // namespace ciphora::testing
