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

// Bytes of a known length that can be read anywhere, from several threads
// at once. Failures raise ReadFailure.
class PositionedSource {
public:
    virtual ~PositionedSource() = default;
    virtual std::uint64_t Length() const = 0;
    // Reads up to `size` bytes at `offset`, fewer only at the end.
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const = 0;
    // Raises ReadFailure when the bytes no longer end at Length(): a file that
    // grew while it was read no longer holds the text read.
    virtual void CheckEnd() const {}
};

// Reads a positioned source in order, from `offset` on.
class SourceFrom : public ByteSource {
public:
    explicit SourceFrom(const PositionedSource& source, std::uint64_t offset = 0) : source_(source), offset_(offset) {}
    std::size_t Read(void* buffer, std::size_t size) override;
    std::optional<std::uint64_t> Size() const override;

private:
    const PositionedSource& source_;
    std::uint64_t offset_;
};

// A file of a known size, which it must keep: one that shrinks or grows
// while it is read raises ReadFailure.
class FileSource : public PositionedSource {
public:
    explicit FileSource(const ReadOnlyFile& file) : file_(file) {}
    std::uint64_t Length() const override { return file_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const override;
    void CheckEnd() const override;

private:
    const ReadOnlyFile& file_;
};

// A file read in order from `offset` on.
class FileInOrder : public ByteSource {
public:
    explicit FileInOrder(const ReadOnlyFile& file, std::uint64_t offset = 0) : file_(file), inOrder_(file_, offset) {}
    std::size_t Read(void* buffer, std::size_t size) override { return inOrder_.Read(buffer, size); }
    std::optional<std::uint64_t> Size() const override { return inOrder_.Size(); }

private:
    FileSource file_;
    SourceFrom inOrder_;
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
