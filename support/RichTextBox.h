#pragma once

#include <string>

namespace ciphora {

// File types of LoadFile and SaveFile: only plain text is supported.
enum LoadSaveConstants : int { rtfRTF = 0, rtfText = 1 };

// The hidden text control that whole files are loaded into and saved from:
// an in-memory text whose loads and saves are byte for byte. Failures raise
// RuntimeError; a save replaces its target only once it is complete.
class RichTextBox {
public:
    void LoadFile(const std::string& path, int fileType);
    void SaveFile(const std::string& path, int fileType) const;

    const std::string& Text() const { return text_; }
    void Text(std::string text) { text_ = std::move(text); }

private:
    std::string text_;
};

// The hidden host form of the reader's whole-file loads.
struct frmRichTextBox {
    RichTextBox RichTextBox1;
};

}  // namespace ciphora
