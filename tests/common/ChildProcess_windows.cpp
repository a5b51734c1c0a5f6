#include "ChildProcess.h"

#include <windows.h>

#include <psapi.h>

#include <cwchar>
#include <stdexcept>
#include <vector>

#include "TestPlatform.h"

namespace ciphora::testing {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Bytes that are no UTF-8 reach the child as U+FFFD, as a console passes them.
std::wstring Utf16(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

HANDLE Inheritable(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(Utf8Path(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherited, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// This process's environment with the changes made, as CreateProcessW takes it.
std::wstring EnvironmentBlock(const ChildOptions& options) {
    std::vector<std::wstring> variables;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) variables.emplace_back(entry);
    FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : options.environment) {
        const std::wstring prefix = Utf16(name) + L"=";
        std::erase_if(variables, [&](const std::wstring& variable) { return variable.starts_with(prefix); });
        if (value) variables.push_back(prefix + Utf16(*value));
    }
    std::wstring block;
    for (const std::wstring& variable : variables) block += variable + L'\0';
    return block + L'\0';
}

// One argument as CommandLineToArgvW and the C runtime read it back:
// backslashes are doubled only before a quote.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

}  // namespace

std::vector<std::string> EmulatorCommand() { return {}; }

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options)
    : options_(options) {
    std::wstring commandLine = L"\"" + Utf16(program) + L"\"";
    for (const std::string& argument : arguments)
        commandLine += L" " + (options.quoteArguments ? Quoted(Utf16(argument)) : Utf16(argument));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::vector<HANDLE> opened;
    const auto standard = [&](const std::string& path, DWORD access, DWORD disposition, DWORD inherited) {
        if (path.empty()) return GetStdHandle(inherited);
        opened.push_back(Inheritable(path, access, disposition));
        return opened.back();
    };
    startup.hStdInput = standard(options.inputPath, GENERIC_READ, OPEN_EXISTING, STD_INPUT_HANDLE);
    startup.hStdOutput = standard(options.outputPath, GENERIC_WRITE, CREATE_ALWAYS, STD_OUTPUT_HANDLE);
    startup.hStdError = standard(options.errorsPath, GENERIC_WRITE, CREATE_ALWAYS, STD_ERROR_HANDLE);
    std::wstring environment = EnvironmentBlock(options);
    PROCESS_INFORMATION started{};
    const bool ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                   environment.data(), nullptr, &startup, &started);
    for (HANDLE handle : opened) CloseHandle(handle);
    if (!ok) throw std::runtime_error("cannot start " + program);
    CloseHandle(started.hThread);
    process_ = reinterpret_cast<std::intptr_t>(started.hProcess);
    id_ = started.dwProcessId;
}

ChildProcess::~ChildProcess() {
    Wait();
    CloseHandle(Native(process_));
}

void ChildProcess::Kill() {
    if (!exit_) TerminateProcess(Native(process_), 128 + 9);
}

ChildExit ChildProcess::Wait() {
    if (exit_) return *exit_;
    WaitForSingleObject(Native(process_), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(Native(process_), &code);
    ChildExit result{static_cast<int>(code), std::nullopt};
    PROCESS_MEMORY_COUNTERS memory{};
    if (options_.measureMemory && GetProcessMemoryInfo(Native(process_), &memory, sizeof memory) &&
        memory.PeakWorkingSetSize > 0)
        result.peakKiB = static_cast<long>(memory.PeakWorkingSetSize / 1024);
    exit_ = result;
    return result;
}

}  // namespace ciphora::testing
