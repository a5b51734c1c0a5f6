#include "SystemFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "RuntimeError.h"

namespace ciphora {

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// Opens `path`, refusing a directory as the file access error it always was.
int OpenDescriptor(const std::string& path, int flags) {
    if (path.find('\0') != std::string::npos) throw RuntimeError(kBadFileNameOrNumber);
    const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (descriptor < 0) throw FileError(errno, path);
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(descriptor);
        throw FileError(EISDIR, path);
    }
    return descriptor;
}

}  // namespace

SystemFile SystemFile::OpenForReading(const std::string& path) { return {OpenDescriptor(path, O_RDONLY), path}; }

SystemFile SystemFile::OpenToProbe(const std::string& path) {
    return {OpenDescriptor(path, O_RDONLY | O_NONBLOCK), path};
}

SystemFile SystemFile::OpenForAppending(const std::string& path) {
    return {OpenDescriptor(path, O_WRONLY | O_APPEND | O_CREAT), path};
}

namespace {
// A pipe holds 64 KiB unless asked for more; a larger one lets the process
// at its other end run longer between switches.
void EnlargeIfPipe(int descriptor) {
#ifdef F_SETPIPE_SZ
    constexpr int kPipeBuffer = 1 << 20;
    // Not a pipe, or more than an unprivileged process may ask for: as it is.
    static_cast<void>(::fcntl(descriptor, F_SETPIPE_SZ, kPipeBuffer));
#else
    static_cast<void>(descriptor);
#endif
}
}  // namespace

SystemFile SystemFile::StandardInput() {
    EnlargeIfPipe(0);
    return {0, "standard input"};
}

SystemFile SystemFile::StandardOutput() {
    EnlargeIfPipe(1);
    return {1, "standard output"};
}

void SystemFile::Release() noexcept {
    if (handle_ != kClosed) ::close(Descriptor(handle_));
    handle_ = kClosed;
}

bool SystemFile::IsOrdinary() const {
    struct stat info {};
    return ::fstat(Descriptor(handle_), &info) == 0 && S_ISREG(info.st_mode);
}

std::uint64_t SystemFile::Size() const {
    struct stat info {};
    if (::fstat(Descriptor(handle_), &info) != 0) throw FileError(errno, path_);
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t SystemFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(Descriptor(handle_), buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw FileError(errno, path_);
    }
}

std::size_t SystemFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    std::size_t done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t got = ::pread(Descriptor(handle_), bytes + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, path_);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void SystemFile::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(Descriptor(handle_), data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, path_);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool SystemFile::TryLock() {
    while (::flock(Descriptor(handle_), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return false;
        if (errno != EINTR) throw FileError(errno, path_);
    }
    return true;
}

void SystemFile::Close() {
    const int descriptor = Descriptor(handle_);
    handle_ = kClosed;
    if (::close(descriptor) != 0) throw FileError(errno, path_);
}

}  // namespace ciphora
