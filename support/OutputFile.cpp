#include "OutputFile.h"

namespace ciphora {

OutputFile::OutputFile(const std::string& path, NewFileTraits traits) {
    ResolvedOutput target = [&] {
        try {
            return SystemFile::ResolveOutput(path);
        } catch (const RuntimeError& error) {
            throw WriteFailure(error);
        }
    }();
    if (target.inPlace)
        inPlace_.emplace(std::move(*target.inPlace));
    else
        replacement_.emplace(target.path, traits);
}

ByteSink& OutputFile::Sink() {
    if (replacement_) return *replacement_;
    return *inPlace_;
}

void OutputFile::Commit() {
    if (replacement_)
        replacement_->Commit();
    else
        inPlace_->Close();
}

}  // namespace ciphora
