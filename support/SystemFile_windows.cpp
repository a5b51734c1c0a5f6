#include "SystemFile.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <tuple>

#include "RuntimeError.h"
#include "WindowsText.h"

namespace ciphora {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One ReadFile or WriteFile call moves at most this much.
constexpr std::size_t kLargestTransfer = 1u << 30;

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::intptr_t OpenHandle(const std::string& path, DWORD access, DWORD disposition) {
    if (path.find('\0') != std::string::npos) throw RuntimeError(kBadFileNameOrNumber);
    const std::wstring wide = Utf16(path);
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A directory is no file to open, whatever the system calls it.
        if (error == ERROR_ACCESS_DENIED && IsDirectory(wide)) throw RuntimeError(kPathFileAccessError);
        throw FileError(static_cast<long>(error), path);
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

DWORD Chunk(std::size_t size) { return static_cast<DWORD>(std::min(size, kLargestTransfer)); }

// Names that the system gives to devices in every folder: "NUL", "con.txt",
// "COM1:", and everything under \\.\ .
bool NamesADevice(std::string_view path) {
    if (path.starts_with("\\\\.\\") || path.starts_with("//./")) return true;
    std::string_view name = path;
    if (name.ends_with(':')) name.remove_suffix(1);
    name = name.substr(name.find_last_of("\\/:") + 1);
    name = name.substr(0, name.find_first_of(". "));
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static constexpr std::array<std::string_view, 6> kDevices{"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

}  // namespace

SystemFile SystemFile::OpenForReading(const std::string& path) {
    return {OpenHandle(path, GENERIC_READ, OPEN_EXISTING), path};
}

SystemFile SystemFile::OpenToProbe(const std::string& path) { return OpenForReading(path); }

SystemFile SystemFile::CreateExclusively(const std::string& path) {
    // A new file's security is its folder's: private where the user's files are.
    return {OpenHandle(path, GENERIC_WRITE, CREATE_NEW), path};
}

void RemoveFile(const std::string& path) {
    if (!::DeleteFileW(Utf16(path).c_str())) throw FileError(static_cast<long>(::GetLastError()), path);
}

void FillFromSystemRandom(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            throw RuntimeError(kDeviceIoError, "The system's random source failed");
        bytes += chunk;
        size -= chunk;
    }
}

SystemFile SystemFile::OpenForAppending(const std::string& path) {
    // Append access alone puts every write at the end; reading is there
    // because locking asks for it.
    return {OpenHandle(path, GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE, OPEN_ALWAYS), path};
}

ResolvedOutput SystemFile::ResolveOutput(const std::string& path) {
    if (path.find('\0') != std::string::npos) throw RuntimeError(kBadFileNameOrNumber);
    if (!NamesADevice(path)) {
        if (IsDirectory(Utf16(path))) throw RuntimeError(kPathFileAccessError);
        return {path, std::nullopt};
    }
    return {path, SystemFile(OpenHandle(path, GENERIC_WRITE, OPEN_EXISTING), path)};
}

namespace {
// The volume and the index of the file at `path`, which identify it.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const std::string& path) {
    const HANDLE file =
        ::CreateFileW(Utf16(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known) return std::nullopt;
    return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}
}  // namespace

bool NameTheSameFile(const std::string& first, const std::string& second) {
    const auto one = FileIdentity(first);
    return one && one == FileIdentity(second);
}

SystemFile SystemFile::StandardInput() {
    return {reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_INPUT_HANDLE)), "standard input"};
}

SystemFile SystemFile::StandardOutput() {
    return {reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_OUTPUT_HANDLE)), "standard output"};
}

void SystemFile::Release() noexcept {
    if (handle_ != kClosed) ::CloseHandle(Native(handle_));
    handle_ = kClosed;
}

bool SystemFile::IsOrdinary() const { return ::GetFileType(Native(handle_)) == FILE_TYPE_DISK; }

std::uint64_t SystemFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Native(handle_), &size)) throw FileError(static_cast<long>(::GetLastError()), path_);
    return static_cast<std::uint64_t>(size.QuadPart);
}

NewFileTraits SystemFile::Traits(bool withTime) const {
    FILETIME written{};
    if (!withTime || !::GetFileTime(Native(handle_), nullptr, nullptr, &written)) return {};
    return {std::nullopt, static_cast<FileTime>((std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime)};
}

std::size_t SystemFile::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    if (!::ReadFile(Native(handle_), buffer, Chunk(size), &got, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
        throw FileError(static_cast<long>(error), path_);
    }
    return got;
}

std::size_t SystemFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    std::size_t done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < size) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        if (!::ReadFile(Native(handle_), bytes + done, Chunk(size - done), &got, &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            throw FileError(static_cast<long>(error), path_);
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

void SystemFile::Write(std::string_view data) {
    while (!data.empty()) {
        DWORD written = 0;
        if (!::WriteFile(Native(handle_), data.data(), Chunk(data.size()), &written, nullptr))
            throw FileError(static_cast<long>(::GetLastError()), path_);
        data.remove_prefix(written);
    }
}

void SystemFile::WriteAt(std::uint64_t offset, std::string_view data) const {
    while (!data.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!::WriteFile(Native(handle_), data.data(), Chunk(data.size()), &written, &at))
            throw FileError(static_cast<long>(::GetLastError()), path_);
        data.remove_prefix(written);
        offset += written;
    }
}

bool SystemFile::TryLock() {
    OVERLAPPED whole{};
    if (::LockFileEx(Native(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                     &whole))
        return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return false;
    throw FileError(static_cast<long>(error), path_);
}

void SystemFile::Close() {
    const HANDLE handle = Native(handle_);
    handle_ = kClosed;
    if (!::CloseHandle(handle)) throw FileError(static_cast<long>(::GetLastError()), path_);
}

}  // namespace ciphora
