#include "ByteStreams.h"

#include <algorithm>

namespace ciphora {

namespace {
[[noreturn]] void ChangedWhileRead() { throw ReadFailure(kDeviceIoError, "The file changed while it was read"); }
}  // namespace

std::size_t FileSource::Read(void* buffer, std::size_t size) {
    const std::uint64_t left = file_.Size() - offset_;
    if (left == 0) {
        // A file that grew while it was read no longer holds the text read.
        char extra;
        if (file_.ReadAt(offset_, &extra, 1) != 0) ChangedWhileRead();
        return 0;
    }
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
    // A short read before the end means that the file shrank.
    if (file_.ReadAt(offset_, buffer, wanted) != wanted) ChangedWhileRead();
    offset_ += wanted;
    return wanted;
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
