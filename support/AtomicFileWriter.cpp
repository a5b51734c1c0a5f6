#include "AtomicFileWriter.h"

namespace ciphora {

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) Discard();
}

void AtomicFileWriter::Fail(const RuntimeError& error) {
    Discard();
    throw WriteFailure(error);
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    try {
        file_->Write({static_cast<const char*>(data), size});
    } catch (const RuntimeError& error) {
        Fail(error);
    }
}

void AtomicFileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    try {
        file_->WriteAt(offset, {static_cast<const char*>(data), size});
    } catch (const RuntimeError& error) {
        // Other threads may still be writing: the file is discarded by the
        // destructor, once they are done.
        throw WriteFailure(error);
    }
}

}  // namespace ciphora
