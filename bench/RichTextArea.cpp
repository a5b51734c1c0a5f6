#include "RichTextArea.h"

namespace ciphora {

std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

RichTextArea::RichTextArea(QWidget* parent) : QPlainTextEdit(parent) {
    // Long lines scroll instead of wrapping: laying out one wrapped line of
    // a few hundred thousand characters (the cycle experiment's list) takes
    // seconds.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!setting_) exactValid_ = false;
    });
}

std::string RichTextArea::Text() const {
    if (exactValid_) return exact_;
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return ToBytes(text);
}

void RichTextArea::SetText(std::string text) {
    exact_ = std::move(text);
    exactValid_ = true;
    shownStale_ = true;
    if (isVisible()) ShowText();
}

void RichTextArea::ShowText() {
    QString shown = FromBytes(exact_);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setting_ = true;
    setPlainText(shown);
    setting_ = false;
    shownStale_ = false;
}

void RichTextArea::showEvent(QShowEvent* event) {
    if (shownStale_ && exactValid_) ShowText();
    QPlainTextEdit::showEvent(event);
}

}  // namespace ciphora
