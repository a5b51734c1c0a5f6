#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "ReadOnlyFile.h"
#include "SystemFile.h"

namespace ciphora {

// Where the bytes of an operation come from, read in order. Failures raise
// ReadFailure.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills `buffer` with the next bytes: fewer than `size` only at the end,
    // and 0 once the end is reached.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // The whole size, where it is known before the end.
    virtual std::optional<std::uint64_t> Size() const { return std::nullopt; }
};

// Where the bytes of an operation go, in order. Failures raise WriteFailure.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const void* data, std::size_t size) = 0;
    void Write(std::string_view data) { Write(data.data(), data.size()); }
};

// A file of a known size, read from its start. It must keep that size: one
// that shrinks or grows while it is read raises ReadFailure.
class FileSource : public ByteSource {
public:
    explicit FileSource(const ReadOnlyFile& file) : file_(file) {}
    std::size_t Read(void* buffer, std::size_t size) override;
    std::optional<std::uint64_t> Size() const override { return file_.Size(); }

private:
    const ReadOnlyFile& file_;
    std::uint64_t offset_ = 0;
};

// A pipe, a terminal or any other file read to its end, whose size nobody
// knows before.
class StreamSource : public ByteSource {
public:
    explicit StreamSource(SystemFile file) : file_(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t size) override;

private:
    SystemFile file_;
};

// A pipe, a terminal or a file written from where it stands.
class StreamSink : public ByteSink {
public:
    explicit StreamSink(SystemFile file) : file_(std::move(file)) {}
    using ByteSink::Write;
    void Write(const void* data, std::size_t size) override;
    // Closes the file, raising what the close brings to light.
    void Close();

private:
    SystemFile file_;
};

}  // namespace ciphora
