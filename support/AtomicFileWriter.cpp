#include "AtomicFileWriter.h"

namespace ciphora {

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) Discard();
}

void AtomicFileWriter::Fail(long systemError) {
    Discard();
    throw WriteFailure(FileError(systemError, target_));
}

}  // namespace ciphora
