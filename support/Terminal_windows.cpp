#include "Terminal.h"

#include <windows.h>

#include <mutex>
#include <string>

#include "WindowsHandle.h"
#include "WindowsText.h"

namespace ciphora::Terminal {

namespace {

ScopedHandle OpenConsole(const wchar_t* name) {
    return ScopedHandle(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
}

void Show(HANDLE output, std::string_view text) {
    const std::wstring wide = Utf16(text);
    DWORD written = 0;
    ::WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

// What Ctrl-C writes on standard error before the process ends.
std::string wipe;
std::mutex wipeLock;

BOOL WINAPI WipeAndEnd(DWORD) {
    const std::lock_guard<std::mutex> held(wipeLock);
    if (!wipe.empty()) Show(::GetStdHandle(STD_ERROR_HANDLE), wipe);
    return FALSE;  // the system's handler ends the process
}

}  // namespace

void SetWipeOnInterrupt(std::string_view text) {
    static const bool installed = ::SetConsoleCtrlHandler(WipeAndEnd, TRUE) != 0;
    static_cast<void>(installed);
    const std::lock_guard<std::mutex> held(wipeLock);
    wipe = text;
}

std::optional<std::size_t> StandardErrorColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return std::nullopt;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::optional<std::string> ReadSecret(std::string_view prompt) {
    const ScopedHandle input = OpenConsole(L"CONIN$");
    const ScopedHandle output = OpenConsole(L"CONOUT$");
    DWORD mode = 0;
    if (!input.IsOpen() || !::GetConsoleMode(input.Get(), &mode)) return std::nullopt;
    if (output.IsOpen()) Show(output.Get(), prompt);
    ::SetConsoleMode(input.Get(), (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
    std::wstring typed;
    std::optional<std::string> line;
    for (;;) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(input.Get(), &c, 1, &got, nullptr) || got == 0) break;
        if (c == L'\n') {
            line = Utf8(typed);
            break;
        }
        if (c != L'\r') typed += c;
    }
    ::SetConsoleMode(input.Get(), mode);
    if (output.IsOpen()) Show(output.Get(), "\r\n");
    return line;
}

}  // namespace ciphora::Terminal
