#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ByteStreams.h"
#include "FileErrors.h"
#include "SystemFile.h"

namespace ciphora {

// Writes a file so that it appears complete or not at all: the data goes to
// a hidden temporary file in the target's directory, readable by its owner
// alone and locked while it is written, which Commit flushes to disk and
// renames over the target. A replaced file keeps its owner, group and
// permission bits (POSIX) or attributes (Windows). Until Commit the previous
// target stays as it was; a writer destroyed without Commit leaves no trace. The target may
// be the very file that is being read; one that may not be written (or is
// read-only) is refused (70). The target is replaced as named: OutputFile
// decides what a name stands for (links, devices). Failures raise
// WriteFailure; the file is discarded when the writer is destroyed. One
// implementation per operating system.
class AtomicFileWriter : public PositionedSink {
public:
    // `traits`: the permission bits (POSIX) of the target when it is new,
    // and its modification time.
    explicit AtomicFileWriter(const std::string& targetPath, NewFileTraits traits = {});
    ~AtomicFileWriter() override;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    using ByteSink::Write;
    void Write(const void* data, std::size_t size) override;
    // From any thread; not to be mixed with Write.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    void Commit();

private:
    // Discards the file and raises `error` as a WriteFailure.
    [[noreturn]] void Fail(const RuntimeError& error);
    void Discard();

    std::string target_;
    std::string temporaryPath_;       // empty while the file has no name yet
    std::optional<SystemFile> file_;  // the temporary file, until it is committed or discarded
    NewFileTraits traits_;
    bool committed_ = false;
};

// Removes temporary files that writers killed before their commit left
// beside `targetPath`; a file that its writer still holds is kept.
void RemoveStaleTemporaries(const std::string& targetPath);

}  // namespace ciphora
