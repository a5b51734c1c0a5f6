#include "AtomicFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "TemporaryNames.h"

namespace ciphora {

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

void SyncDirectory(const std::string& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) : target_(targetPath) {
    if (targetPath.find('\0') != std::string::npos) throw WriteFailure(kBadFileNameOrNumber);
    // A file that may not be written is not replaced either.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0)
        throw WriteFailure(FileError(errno, target_));
    const SplitPath target = SplitTargetPath(target_);
    RemoveStaleTemporaries(target_);

    // An unnamed file vanishes by itself if the process dies before Commit.
    int descriptor = ::open(target.directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        temporaryPath_ = NewTemporaryPath(target, static_cast<unsigned long>(::getpid()));
        descriptor = ::open(temporaryPath_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (descriptor < 0) {
        const int error = errno;
        temporaryPath_.clear();
        throw WriteFailure(FileError(error, target_));
    }
    handle_ = descriptor;
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(descriptor, existing.st_mode & 07777);
}

void AtomicFileWriter::Discard() {
    if (handle_ >= 0) ::close(Descriptor(handle_));
    handle_ = -1;
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(Descriptor(handle_), bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(Descriptor(handle_), bytes, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            // Other threads may still be writing: the file is discarded by the
            // destructor, once they are done.
            throw WriteFailure(FileError(errno, target_));
        }
        bytes += written;
        offset += static_cast<std::uint64_t>(written);
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::Commit() {
    const int descriptor = Descriptor(handle_);
    if (::fsync(descriptor) != 0) Fail(errno);
    const SplitPath target = SplitTargetPath(target_);
    if (temporaryPath_.empty()) {
        temporaryPath_ = NewTemporaryPath(target, static_cast<unsigned long>(::getpid()));
        const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporaryPath_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            const int error = errno;
            temporaryPath_.clear();
            Fail(error);
        }
    }
    handle_ = -1;
    if (::close(descriptor) != 0) Fail(errno);
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) Fail(errno);
    committed_ = true;
    SyncDirectory(target.directory);
}

void RemoveStaleTemporaries(const std::string& targetPath) {
    const SplitPath target = SplitTargetPath(targetPath);
    DIR* listing = ::opendir(target.directory.c_str());
    if (!listing) return;
    const std::string prefix = TemporaryPrefix(target.name);
    while (const dirent* entry = ::readdir(listing)) {
        // Leftovers of processes that are still alive may be in use.
        const unsigned long owner = TemporaryOwner(entry->d_name, prefix);
        if (owner > 0 && ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

}  // namespace ciphora
