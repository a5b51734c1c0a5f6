#include "ConsolePlatform.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "WindowsText.h"

namespace ciphora {

namespace {

// The command line's text after the program name, by the system's own rule
// for that first token: up to the closing quote when it starts with one,
// otherwise up to the first blank or tab. The blanks and tabs after it go too.
std::wstring_view AfterProgramName(std::wstring_view line) {
    std::size_t end;
    if (line.starts_with(L'"')) {
        end = line.find(L'"', 1);
        end = end == std::wstring_view::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(L" \t");
        if (end == std::wstring_view::npos) end = line.size();
    }
    line.remove_prefix(end);
    const auto first = line.find_first_not_of(L" \t");
    return first == std::wstring_view::npos ? std::wstring_view{} : line.substr(first);
}

// The command line holds a key, not a path: one byte per character, in the
// ANSI code page the key was always read in, so that a character that is no
// digit counts once in the key's length. Characters outside it become "?".
std::string AnsiText(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// The arguments as the system splits the command line, in UTF-8.
std::vector<std::string> Utf8Arguments() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    for (int i = 1; arguments && i < count; ++i) utf8.push_back(Utf8(arguments[i]));
    ::LocalFree(arguments);
    return utf8;
}

}  // namespace

ConsolePlatform::ConsolePlatform(int, char**)
    : commandLine_(AnsiText(AfterProgramName(::GetCommandLineW()))), arguments_(Utf8Arguments()) {}

void ConsolePlatform::ShowLogMessage(std::string_view message) {
    // A console shows UTF-16 whatever its code page; a file or pipe gets the
    // bytes as they are.
    const HANDLE errors = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (errors != INVALID_HANDLE_VALUE && ::GetConsoleMode(errors, &mode)) {
        const std::wstring line = Utf16(message) + L"\r\n";
        DWORD written = 0;
        ::WriteConsoleW(errors, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    // The log keeps the message; standard error only shows it.
    static_cast<void>(std::fwrite(message.data(), 1, message.size(), stderr));
    static_cast<void>(std::fputc('\n', stderr));
}

void EndAsTheReaderLeft() {}

}  // namespace ciphora
