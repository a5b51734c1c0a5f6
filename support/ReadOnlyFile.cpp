#include "ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ciphora {

ReadOnlyFile::ReadOnlyFile(const std::string& path) : path_(path) {
    if (path.find('\0') != std::string::npos) throw ReadFailure(kBadFileNameOrNumber);
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) throw ReadFailure(FileError(errno, path));
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(descriptor_);
        throw ReadFailure(FileError(error, path));
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

ReadOnlyFile::~ReadOnlyFile() { ::close(descriptor_); }

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    std::size_t done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t got = ::pread(descriptor_, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ReadFailure(FileError(errno, path_));
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace ciphora
