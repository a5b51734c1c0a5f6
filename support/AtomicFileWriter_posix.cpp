#include "AtomicFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "TemporaryNames.h"

namespace ciphora {

namespace {

void SyncDirectory(const std::string& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// The bits of a new file that nobody asked for a mode for: what the process
// would create it with.
mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool StillNamed(int descriptor, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(descriptor, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// A new temporary file beside the target, readable by its owner alone while
// it is written, and locked: the lock is held until the file is renamed or
// removed, so a cleaner that can take it knows that nobody writes it any
// more. Unnamed where the system allows (it then vanishes by itself if the
// process dies), otherwise under a new name, left in `path`.
int CreateLockedTemporary(const PathParts& target, std::string& path) {
    int descriptor = ::open(target.directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (descriptor >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
        if (descriptor >= 0) static_cast<void>(::flock(descriptor, LOCK_EX));
        return descriptor;
    }
    for (;;) {
        path = NewTemporaryPath(target);
        descriptor = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            path.clear();
            return descriptor;
        }
        static_cast<void>(::flock(descriptor, LOCK_EX));
        // A cleaner may have taken it for a leftover in the instant before
        // it was locked.
        if (StillNamed(descriptor, path)) return descriptor;
        ::close(descriptor);
    }
}

// Gives the file what the target had: a replaced file stays its owner's,
// in its group, with its bits (only root may give a file away; others keep
// what they may); a new one gets the bits asked for. Then the time asked
// for. False, with errno, when bits or time cannot be set.
bool TakeOverTarget(int descriptor, const std::string& target, const NewFileTraits& traits) {
    struct stat replaced {};
    bool set;
    if (::stat(target.c_str(), &replaced) != 0 || !S_ISREG(replaced.st_mode)) {
        set = ::fchmod(descriptor,
                       traits.permissionBits ? static_cast<mode_t>(*traits.permissionBits) : DefaultFileMode()) == 0;
    } else {
        if (::fchown(descriptor, replaced.st_uid, replaced.st_gid) != 0)
            static_cast<void>(::fchown(descriptor, static_cast<uid_t>(-1), replaced.st_gid));
        set = ::fchmod(descriptor, replaced.st_mode & 07777) == 0;
    }
    if (!set || !traits.modified) return set;
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(*traits.modified / 1000000000), static_cast<long>(*traits.modified % 1000000000)}};
    return ::futimens(descriptor, times) == 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath, NewFileTraits traits)
    : target_(targetPath), traits_(traits) {
    if (targetPath.find('\0') != std::string::npos) throw WriteFailure(kBadFileNameOrNumber);
    // A file that may not be written is not replaced either.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0)
        throw WriteFailure(FileError(errno, target_));
    const PathParts target = SplitPath(target_);
    RemoveStaleTemporaries(target_);

    const int descriptor = CreateLockedTemporary(target, temporaryPath_);
    if (descriptor < 0) throw WriteFailure(FileError(errno, target_));
    file_ = SystemFile::Adopt(descriptor, target_);
}

// Removed while still locked, so that no cleaner takes it in between.
void AtomicFileWriter::Discard() {
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    file_.reset();
}

void AtomicFileWriter::Commit() {
    const int descriptor = static_cast<int>(file_->NativeHandle());
    if (!TakeOverTarget(descriptor, target_, traits_) || ::fsync(descriptor) != 0) Fail(FileError(errno, target_));
    const PathParts target = SplitPath(target_);
    while (temporaryPath_.empty()) {
        temporaryPath_ = NewTemporaryPath(target);
        const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporaryPath_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            const int error = errno;
            temporaryPath_.clear();
            if (error != EEXIST) Fail(FileError(error, target_));
        }
    }
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) Fail(FileError(errno, target_));
    temporaryPath_.clear();
    committed_ = true;
    // The file stands whole; a failure to close it now loses nothing.
    file_.reset();
    SyncDirectory(target.directory);
}

void RemoveStaleTemporaries(const std::string& targetPath) {
    const PathParts target = SplitPath(targetPath);
    DIR* listing = ::opendir(target.directory.c_str());
    if (!listing) return;
    const std::string prefix = TemporaryPrefix(target.name);
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryOf(entry->d_name, prefix)) continue;
        const int leftover =
            ::openat(::dirfd(listing), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (leftover < 0) continue;
        struct stat info {};
        // Whoever holds the lock is still writing it.
        if (::fstat(leftover, &info) == 0 && S_ISREG(info.st_mode) && ::flock(leftover, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        ::close(leftover);
    }
    ::closedir(listing);
}

}  // namespace ciphora
