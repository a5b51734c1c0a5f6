#include "SystemFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "PathParts.h"
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

SystemFile SystemFile::CreateExclusively(const std::string& path) {
    if (path.find('\0') != std::string::npos) throw RuntimeError(kBadFileNameOrNumber);
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) throw FileError(errno, path);
    return {descriptor, path};
}

void RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) throw FileError(errno, path);
}

void FillFromSystemRandom(void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, "getrandom");
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
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

namespace {

// Longer chains of links are loops, as the system counts them.
constexpr int kLongestLinkChain = 40;

// The descriptor of this process that `path` names: /proc/self/fd/N and
// what links to it (/dev/fd/N, /dev/stdout).
std::optional<int> OwnDescriptorNamed(const std::string& path) {
    const PathParts parts = SplitPath(path);
    const std::string& name = parts.name;
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    char parent[PATH_MAX];
    if (::realpath(parts.directory.c_str(), parent) == nullptr) return std::nullopt;
    const std::string process = "/proc/" + std::to_string(::getpid());
    const std::string_view directory(parent);
    const bool own =
        directory == process + "/fd" || (directory.starts_with(process + "/task/") && directory.ends_with("/fd"));
    if (!own) return std::nullopt;
    return std::atoi(name.c_str());
}

// The name at the end of the links that start at `path`, whether or not
// anything is there; a descriptor of this process ends the walk.
std::string EndOfLinks(std::string path) {
    for (int hop = 0; hop <= kLongestLinkChain; ++hop) {
        if (OwnDescriptorNamed(path)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        // No link (or nothing to read): the walk ends here.
        if (length <= 0) return path;
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/') target.insert(0, SplitPath(path).directory + "/");
        path = std::move(target);
    }
    throw FileError(ELOOP, path);
}

}  // namespace

ResolvedOutput SystemFile::ResolveOutput(const std::string& path) {
    if (path.find('\0') != std::string::npos) throw RuntimeError(kBadFileNameOrNumber);
    std::string end = EndOfLinks(path);
    if (const std::optional<int> own = OwnDescriptorNamed(end)) {
        const int copy = ::fcntl(*own, F_DUPFD_CLOEXEC, 0);
        if (copy < 0) throw FileError(errno, path);
        return {std::move(end), SystemFile(copy, path)};
    }
    struct stat info {};
    if (::stat(end.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {std::move(end), std::nullopt};
    if (S_ISDIR(info.st_mode)) throw FileError(EISDIR, path);
    SystemFile device(OpenDescriptor(end, O_WRONLY | O_NOCTTY), path);
    return {std::move(end), std::move(device)};
}

bool NameTheSameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat other {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 && one.st_dev == other.st_dev &&
           one.st_ino == other.st_ino;
}

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

NewFileTraits SystemFile::Traits(bool withTime) const {
    struct stat info {};
    if (::fstat(Descriptor(handle_), &info) != 0) return {};
    NewFileTraits traits{static_cast<unsigned>(info.st_mode & 07777), std::nullopt};
    if (withTime) traits.modified = FileTime{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    return traits;
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

void SystemFile::WriteAt(std::uint64_t offset, std::string_view data) const {
    while (!data.empty()) {
        const ssize_t written = ::pwrite(Descriptor(handle_), data.data(), data.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, path_);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
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
