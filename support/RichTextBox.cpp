#include "RichTextBox.h"

#include "OutputFile.h"
#include "ReadOnlyFile.h"

namespace ciphora {

namespace {
void RequirePlainText(int fileType) {
    if (fileType != rtfText) throw RuntimeError(kInvalidProcedureCall);
}
}  // namespace

void RichTextBox::LoadFile(const std::string& path, int fileType) {
    RequirePlainText(fileType);
    const ReadOnlyFile file(path);
    std::string text(file.Size(), '\0');
    text.resize(file.ReadAt(0, text.data(), text.size()));
    text_ = std::move(text);
}

void RichTextBox::SaveFile(const std::string& path, int fileType) const {
    RequirePlainText(fileType);
    OutputFile file(path);
    file.Sink().Write(text_);
    file.Commit();
}

}  // namespace ciphora
