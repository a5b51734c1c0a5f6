#include "NumberedFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>
#include <vector>

#include "RuntimeError.h"

namespace ciphora::NumberedFiles {

namespace {

constexpr std::size_t kBufferSize = 64u << 10;

// An open file with its own read buffer, so that reading byte by byte does
// not cost a system call per byte.
class OpenFile {
public:
    OpenFile(int descriptor, std::string path, const void* owner)
        : descriptor_(descriptor), path_(std::move(path)), owner_(owner) {}
    ~OpenFile() { ::close(descriptor_); }

    const void* Owner() const { return owner_; }

    bool AtEnd() {
        Fill();
        return position_ == buffer_.size();
    }

    char Read() {
        if (AtEnd()) throw RuntimeError(kInputPastEndOfFile);
        return buffer_[position_++];
    }

    void Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                throw FileError(errno, path_);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

private:
    void Fill() {
        if (position_ < buffer_.size()) return;
        buffer_.resize(kBufferSize);
        ssize_t got;
        do got = ::read(descriptor_, buffer_.data(), buffer_.size());
        while (got < 0 && errno == EINTR);
        if (got < 0) {
            buffer_.clear();
            throw FileError(errno, path_);
        }
        buffer_.resize(static_cast<std::size_t>(got));
        position_ = 0;
    }

    int descriptor_;
    std::string path_;
    const void* owner_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
};

std::array<std::unique_ptr<OpenFile>, kHighestNumber + 1> table;

bool InRange(std::int32_t number) { return number >= 1 && number <= kHighestNumber; }

OpenFile& Get(std::int32_t number) {
    if (!InRange(number) || !table[number]) throw RuntimeError(kBadFileNameOrNumber);
    return *table[number];
}

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

void Install(std::int32_t number, int descriptor, const std::string& path, const void* owner) {
    if (!InRange(number)) {
        ::close(descriptor);
        throw RuntimeError(kBadFileNameOrNumber);
    }
    table[number] = std::make_unique<OpenFile>(descriptor, path, owner);
}

}  // namespace

std::int32_t FreeFile() {
    for (std::int32_t number = 1; number <= kHighestNumber; ++number)
        if (!table[number]) return number;
    throw RuntimeError(kTooManyFiles);
}

void OpenForInput(std::int32_t number, const std::string& path, const void* owner) {
    if (!InRange(number)) throw RuntimeError(kBadFileNameOrNumber);
    Install(number, OpenDescriptor(path, O_RDONLY), path, owner);
}

void OpenForAppend(std::int32_t number, const std::string& path, const void* owner) {
    if (!InRange(number)) throw RuntimeError(kBadFileNameOrNumber);
    const int descriptor = OpenDescriptor(path, O_WRONLY | O_APPEND | O_CREAT);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        throw FileError(error, path);
    }
    Install(number, descriptor, path, owner);
}

void Close(std::int32_t number) {
    if (InRange(number)) table[number].reset();
}

void CloseOwnedBy(const void* owner) {
    for (auto& file : table)
        if (file && file->Owner() == owner) file.reset();
}

bool Eof(std::int32_t number) { return Get(number).AtEnd(); }

char ReadChar(std::int32_t number) { return Get(number).Read(); }

void Write(std::int32_t number, std::string_view bytes) { Get(number).Write(bytes); }

}  // namespace ciphora::NumberedFiles
