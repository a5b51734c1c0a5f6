#include "AtomicFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "Platform.h"

namespace ciphora {

namespace {

constexpr std::string_view kTemporaryMark = ".ciphora-";

struct SplitPath {
    std::string directory;
    std::string name;
};

SplitPath Split(const std::string& path) {
    const auto slash = path.find_last_of(kPathSeparator);
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? std::string(1, kPathSeparator) : path.substr(0, slash), path.substr(slash + 1)};
}

// ".<target name>.ciphora-": hidden, and tied to its target.
std::string TemporaryPrefix(const std::string& name) { return "." + name + std::string(kTemporaryMark); }

std::string NewTemporaryName(const SplitPath& target) {
    static std::atomic<unsigned> counter{0};
    return target.directory + kPathSeparator + TemporaryPrefix(target.name) + std::to_string(::getpid()) + "-" +
           std::to_string(counter++);
}

// A link is written through, as writing to it always did: the file it
// points to is the one replaced.
std::string ThroughLinks(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

void SyncDirectory(const std::string& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) {
    if (targetPath.find('\0') != std::string::npos) throw WriteFailure(kBadFileNameOrNumber);
    target_ = ThroughLinks(targetPath);
    // A file that may not be written is not replaced either.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0)
        throw WriteFailure(FileError(errno, target_));
    const SplitPath target = Split(target_);
    directory_ = target.directory;
    RemoveStaleTemporaries(target_);

    // An unnamed file vanishes by itself if the process dies before Commit.
    descriptor_ = ::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        temporaryName_ = NewTemporaryName(target);
        descriptor_ = ::open(temporaryName_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (descriptor_ < 0) {
        const int error = errno;
        temporaryName_.clear();
        throw WriteFailure(FileError(error, target_));
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(descriptor_, existing.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) Discard();
}

void AtomicFileWriter::Discard() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!temporaryName_.empty()) ::unlink(temporaryName_.c_str());
    temporaryName_.clear();
}

void AtomicFileWriter::Fail(int error) {
    Discard();
    throw WriteFailure(FileError(error, target_));
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::Commit() {
    if (::fsync(descriptor_) != 0) Fail(errno);
    if (temporaryName_.empty()) {
        temporaryName_ = NewTemporaryName(Split(target_));
        const std::string self = "/proc/self/fd/" + std::to_string(descriptor_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporaryName_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            const int error = errno;
            temporaryName_.clear();
            Fail(error);
        }
    }
    if (::close(descriptor_) != 0) {
        descriptor_ = -1;
        Fail(errno);
    }
    descriptor_ = -1;
    if (::rename(temporaryName_.c_str(), target_.c_str()) != 0) Fail(errno);
    committed_ = true;
    SyncDirectory(directory_);
}

void RemoveStaleTemporaries(const std::string& targetPath) {
    const SplitPath target = Split(targetPath);
    DIR* listing = ::opendir(target.directory.c_str());
    if (!listing) return;
    const std::string prefix = TemporaryPrefix(target.name);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        // Leftovers of processes that are still alive may be in use.
        const long owner = std::strtol(std::string(name.substr(prefix.size())).c_str(), nullptr, 10);
        if (owner > 0 && ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

}  // namespace ciphora
