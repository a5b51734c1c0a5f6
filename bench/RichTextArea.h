#pragma once

#include <QPlainTextEdit>
#include <string>

namespace ciphora {

// A text area of the bench. Its text is the program's bytes (Latin-1, so
// every byte shows as one character): what the program puts in comes back
// byte for byte until the user edits it; text the user typed comes back with
// CR LF line breaks, as the text control has always delivered them.
class RichTextArea : public QPlainTextEdit {
public:
    explicit RichTextArea(QWidget* parent);

    std::string Text() const;
    void SetText(std::string text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A hidden area shows its text only once it is shown again, so that
    // filling it line by line stays cheap.
    void ShowText();

    std::string exact_;
    bool exactValid_ = true;
    bool shownStale_ = false;
    bool setting_ = false;
};

// Window text and the program's bytes: Latin-1 both ways, and characters
// outside it become "?".
std::string ToBytes(const QString& text);
QString FromBytes(std::string_view bytes);

}  // namespace ciphora
