#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ciphora {

struct ResolvedOutput;

// A file's modification time in the system's own count: nanoseconds since
// 1970 on POSIX systems, 100-nanosecond steps since 1601 on Windows.
using FileTime = std::int64_t;

// What a new file takes over from the file it is made from.
struct NewFileTraits {
    std::optional<unsigned> permissionBits;  // POSIX; else those the process gives new files
    std::optional<FileTime> modified;        // else the time it is written
};

// One open file of the operating system, in binary mode with 64-bit sizes
// and offsets, closed when destroyed. Paths are UTF-8. Every failure raises
// RuntimeError with the run-time error number of the system's error.
class SystemFile {
public:
    // An existing file, for reading, shared with every other reader and
    // writer (and, on Windows, with whoever renames or replaces it). A
    // directory is refused with 75.
    static SystemFile OpenForReading(const std::string& path);
    // The same, for a look that must not wait on anything: a pipe without a
    // writer opens at once.
    static SystemFile OpenToProbe(const std::string& path);
    // A new file for writing, readable and writable by its owner alone; an
    // existing one is refused, never replaced.
    static SystemFile CreateExclusively(const std::string& path);
    // For appending, created empty when missing, shared with other appenders.
    static SystemFile OpenForAppending(const std::string& path);
    // Where an output named `path` goes (see ResolvedOutput).
    static ResolvedOutput ResolveOutput(const std::string& path);
    // The process's standard input and output, as it was handed them.
    static SystemFile StandardInput();
    static SystemFile StandardOutput();
    // Takes over a handle (a descriptor on POSIX systems) that the caller
    // opened; its failures name `path`.
    static SystemFile Adopt(std::intptr_t handle, std::string path) { return {handle, std::move(path)}; }

    SystemFile(SystemFile&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
        other.handle_ = kClosed;
    }
    SystemFile& operator=(SystemFile&& other) noexcept {
        if (this != &other) {
            Release();
            handle_ = other.handle_;
            path_ = std::move(other.path_);
            other.handle_ = kClosed;
        }
        return *this;
    }
    ~SystemFile() { Release(); }

    // A regular file on disk, not a pipe or a device.
    bool IsOrdinary() const;
    std::uint64_t Size() const;
    // What a file made from this one takes over from it: its permission
    // bits and, when asked for, its modification time.
    NewFileTraits Traits(bool withTime) const;
    // Reads the next bytes; 0 only at the end.
    std::size_t Read(void* buffer, std::size_t size);
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Writes all of `data`.
    void Write(std::string_view data);
    // Writes all of `data` at `offset`; from any thread, and not to be mixed
    // with Write.
    void WriteAt(std::uint64_t offset, std::string_view data) const;
    // Takes the exclusive lock on the whole file without waiting: false when
    // another open file holds it, in this process or another one.
    bool TryLock();
    // Closes the file, raising what the close brings to light.
    void Close();
    // The system's handle (a descriptor on POSIX systems), for what only the
    // system can do with the file; it stays this object's to close.
    std::intptr_t NativeHandle() const { return handle_; }

private:
    using Handle = std::intptr_t;
    static constexpr Handle kClosed = -1;

    SystemFile(Handle handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    // Closes without reporting anything.
    void Release() noexcept;

    Handle handle_ = kClosed;
    std::string path_;
};

// Whether two names stand for one and the same existing file, through links
// and other names alike.
bool NameTheSameFile(const std::string& first, const std::string& second);

// An output name, resolved. On POSIX systems links are followed to the name
// at their end, which is created when it does not exist; a chain of links
// that never ends is refused (52). What is found there and is no regular file
// (a device, a FIFO, a socket, or a descriptor of this process named through
// /dev/stdout, /dev/fd/N or /proc/self/fd/N) is opened for writing in place;
// on Windows, the same for device names (NUL, CON, COM1, \\.\...). A
// directory is refused (75).
struct ResolvedOutput {
    std::string path;                   // the name to replace when nothing is open
    std::optional<SystemFile> inPlace;  // the target, opened for writing where it is
};

// Removes the file at `path`, raising RuntimeError when it cannot.
void RemoveFile(const std::string& path);

// Fills `buffer` from the system's random source (getrandom, BCryptGenRandom),
// raising RuntimeError when it fails.
void FillFromSystemRandom(void* buffer, std::size_t size);

}  // namespace ciphora
