#include "ChildProcess.h"

#include <windows.h>

#include <psapi.h>

#include <stdexcept>

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

HANDLE InheritableErrorsFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(Utf8Path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options)
    : options_(options) {
    std::wstring commandLine = L"\"" + Utf16(program) + L"\"";
    for (const std::string& argument : arguments) commandLine += L" " + Utf16(argument);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE errors = nullptr;
    if (!options.errorsPath.empty()) {
        errors = InheritableErrorsFile(options.errorsPath);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errors;
    }
    PROCESS_INFORMATION started{};
    const bool ok =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started);
    if (errors) CloseHandle(errors);
    if (!ok) throw std::runtime_error("cannot start " + program);
    CloseHandle(started.hThread);
    process_ = reinterpret_cast<std::intptr_t>(started.hProcess);
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
