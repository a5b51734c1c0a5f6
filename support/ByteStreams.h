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

// A sink that can also be written at given offsets, from several threads at
// once. Whoever writes that way writes every byte up to the end.
class PositionedSink : public ByteSink {
public:
    virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
};

// Writes in order into a positioned sink, from `offset` on.
class SinkFrom : public ByteSink {
public:
    SinkFrom(PositionedSink& sink, std::uint64_t offset) : sink_(sink), offset_(offset) {}
    using ByteSink::Write;
    void Write(const void* data, std::size_t size) override;

private:
    PositionedSink& sink_;
    std::uint64_t offset_;
};

// A file of a known size, read in order from `offset` (its start unless
// given), or anywhere with ReadAt. It must keep that size: one that shrinks
// or grows while it is read raises ReadFailure.
class FileSource : public ByteSource {
public:
    explicit FileSource(const ReadOnlyFile& file, std::uint64_t offset = 0)
        : file_(file), start_(offset), offset_(offset) {}
    std::size_t Read(void* buffer, std::size_t size) override;
    // Of what it reads from where it starts.
    std::optional<std::uint64_t> Size() const override { return file_.Size() > start_ ? file_.Size() - start_ : 0; }

    // Reads up to `size` bytes at `offset`, fewer only at the end; from any
    // thread.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Raises ReadFailure when the file has grown beyond its size.
    void CheckEnd() const;
    // Where in the file it starts reading.
    std::uint64_t Start() const { return start_; }
    // The same file, read in order from `offset`.
    FileSource From(std::uint64_t offset) const { return FileSource(file_, offset); }

private:
    const ReadOnlyFile& file_;
    std::uint64_t start_;
    std::uint64_t offset_;
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
