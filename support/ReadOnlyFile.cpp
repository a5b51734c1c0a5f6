#include "ReadOnlyFile.h"

namespace ciphora {

namespace {

// Every failure of an input file is a read failure.
template <typename Action>
auto AsReadFailure(Action action) {
    try {
        return action();
    } catch (const ReadFailure&) {
        throw;
    } catch (const RuntimeError& error) {
        throw ReadFailure(error);
    }
}

SystemFile Ordinary(SystemFile file) {
    if (!file.IsOrdinary()) throw RuntimeError(kPathFileAccessError);
    return file;
}

}  // namespace

// Opened without waiting: a FIFO, which would wait for a writer, is refused
// like every other file that is not an ordinary one.
ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : ReadOnlyFile(AsReadFailure([&] { return SystemFile::OpenToProbe(path); })) {}

ReadOnlyFile::ReadOnlyFile(SystemFile file)
    : file_(AsReadFailure([&] { return Ordinary(std::move(file)); })),
      size_(AsReadFailure([&] { return file_.Size(); })) {}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    return AsReadFailure([&] { return file_.ReadAt(offset, buffer, size); });
}

}  // namespace ciphora
