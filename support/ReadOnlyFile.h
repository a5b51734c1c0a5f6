#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileErrors.h"
#include "SystemFile.h"

namespace ciphora {

// An input file opened for reading by position. Failures raise ReadFailure.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path);
    // A file opened already; it must be an ordinary one.
    explicit ReadOnlyFile(SystemFile file);

    // The size when the file was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;

private:
    SystemFile file_;
    std::uint64_t size_;
};

}  // namespace ciphora
