#include "NumberedFiles.h"

#include <array>
#include <memory>
#include <vector>

#include "RuntimeError.h"
#include "SystemFile.h"

namespace ciphora::NumberedFiles {

namespace {

constexpr std::size_t kBufferSize = 64u << 10;

// An open file with its own read buffer, so that reading byte by byte does
// not cost a system call per byte.
class OpenFile {
public:
    OpenFile(SystemFile file, const void* owner) : file_(std::move(file)), owner_(owner) {}

    const void* Owner() const { return owner_; }

    bool AtEnd() {
        Fill();
        return position_ == buffer_.size();
    }

    char Read() {
        if (AtEnd()) throw RuntimeError(kInputPastEndOfFile);
        return buffer_[position_++];
    }

    void Write(std::string_view bytes) { file_.Write(bytes); }

private:
    void Fill() {
        if (position_ < buffer_.size()) return;
        buffer_.resize(kBufferSize);
        try {
            buffer_.resize(file_.Read(buffer_.data(), buffer_.size()));
        } catch (...) {
            buffer_.clear();
            throw;
        }
        position_ = 0;
    }

    SystemFile file_;
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

void Install(std::int32_t number, SystemFile file, const void* owner) {
    table[number] = std::make_unique<OpenFile>(std::move(file), owner);
}

}  // namespace

std::int32_t FreeFile() {
    for (std::int32_t number = 1; number <= kHighestNumber; ++number)
        if (!table[number]) return number;
    throw RuntimeError(kTooManyFiles);
}

std::int32_t FirstNumberFor(std::int32_t first, const void* owner) {
    std::int32_t number = first;
    while (InRange(number) && table[number] && table[number]->Owner() != owner) ++number;
    return number;
}

void OpenForInput(std::int32_t number, const std::string& path, const void* owner) {
    if (!InRange(number)) throw RuntimeError(kBadFileNameOrNumber);
    Install(number, SystemFile::OpenForReading(path), owner);
}

void OpenForAppend(std::int32_t number, const std::string& path, const void* owner) {
    if (!InRange(number)) throw RuntimeError(kBadFileNameOrNumber);
    SystemFile file = SystemFile::OpenForAppending(path);
    if (!file.TryLock()) throw RuntimeError(kPermissionDenied);
    Install(number, std::move(file), owner);
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
