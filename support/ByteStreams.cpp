#include "ByteStreams.h"

#include <algorithm>

namespace ciphora {

namespace {
[[noreturn]] void ChangedWhileRead() { throw ReadFailure(kDeviceIoError, "The file changed while it was read"); }
}  // namespace

void SinkFrom::Write(const void* data, std::size_t size) {
    sink_.WriteAt(offset_, data, size);
    offset_ += size;
}

std::size_t SourceFrom::Read(void* buffer, std::size_t size) {
    const std::size_t got = source_.ReadAt(offset_, buffer, size);
    if (got == 0) source_.CheckEnd();
    offset_ += got;
    return got;
}

std::optional<std::uint64_t> SourceFrom::Size() const {
    return source_.Length() > offset_ ? source_.Length() - offset_ : 0;
}

std::size_t FileSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    const std::uint64_t left = offset < file_.Size() ? file_.Size() - offset : 0;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
    // A short read before the end means that the file shrank.
    if (wanted > 0 && file_.ReadAt(offset, buffer, wanted) != wanted) ChangedWhileRead();
    return wanted;
}

void FileSource::CheckEnd() const {
    // A file that grew while it was read no longer holds the text read.
    char extra;
    if (file_.ReadAt(file_.Size(), &extra, 1) != 0) ChangedWhileRead();
}

std::size_t StreamSource::Read(void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    try {
        while (done < size) {
            const std::size_t got = file_.Read(bytes + done, size - done);
            if (got == 0) break;
            done += got;
        }
    } catch (const RuntimeError& error) {
        throw ReadFailure(error);
    }
    return done;
}

void StreamSink::Write(const void* data, std::size_t size) {
    try {
        file_.Write(std::string_view(static_cast<const char*>(data), size));
    } catch (const RuntimeError& error) {
        throw WriteFailure(error);
    }
}

void StreamSink::Close() {
    try {
        file_.Close();
    } catch (const RuntimeError& error) {
        throw WriteFailure(error);
    }
}

}  // namespace ciphora
