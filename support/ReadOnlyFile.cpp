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

SystemFile OpenOrdinaryFile(const std::string& path) {
    SystemFile file = SystemFile::OpenForReading(path);
    if (!file.IsOrdinary()) throw RuntimeError(kPathFileAccessError);
    return file;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : file_(AsReadFailure([&] { return OpenOrdinaryFile(path); })),
      size_(AsReadFailure([&] { return file_.Size(); })) {}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    return AsReadFailure([&] { return file_.ReadAt(offset, buffer, size); });
}

}  // namespace ciphora
