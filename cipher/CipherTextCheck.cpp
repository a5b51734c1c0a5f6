#include "CipherTextCheck.h"

#include "CipherText.h"

namespace ciphora {

void CipherTextCheck::Deviate(std::string what, std::uint64_t columnsBack) {
    if (!deviation_) deviation_ = Deviation{line_, column_ - columnsBack, std::move(what)};
}

void CipherTextCheck::Take(char c) {
    if (afterCarriageReturn_) {
        afterCarriageReturn_ = false;
        if (c != '\n') return Deviate("a line feed expected after the carriage return");
        ++line_;
        column_ = 0;  // counted up to 1 for the next byte
        codesInLine_ = 0;
        return;
    }
    if (c >= '0' && c <= '9') {
        if (codesInLine_ == kCodesPerLine) return Deviate("the line holds more than twenty codes");
        value_ = value_ * 10 + (c - '0');
        if (++digits_ < static_cast<int>(kDigitsPerCode)) return;
        ++codes_;
        ++codesInLine_;
        if (value_ > 255) {
            if (codesAbove255_++ == 0) Deviate("code " + std::to_string(value_) + " is above 255", kDigitsPerCode - 1);
        }
        digits_ = 0;
        value_ = 0;
        return;
    }
    if (c == '\r') {
        if (digits_ != 0) return Deviate("the code has " + std::to_string(digits_) + " digit(s), not 3");
        if (codesInLine_ == 0) return Deviate("an empty line");
        if (codesInLine_ < kCodesPerLine && !deviation_)
            shortLine_ = Deviation{line_, column_, "a line before the last holds fewer than twenty codes"};
        afterCarriageReturn_ = true;
        return;
    }
    Deviate(c == '\n' ? "a line feed without a carriage return before it" : "a digit or CR LF expected");
}

void CipherTextCheck::Feed(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        // A short line is only sound as the last one.
        if (shortLine_ && shortLine_->line < line_) {
            if (!deviation_) deviation_ = std::move(shortLine_);
            shortLine_.reset();
        }
        Take(text[i]);
        ++column_;
    }
}

void CipherTextCheck::Finish() {
    if (afterCarriageReturn_) return Deviate("a line feed expected after the carriage return");
    if (digits_ != 0) return Deviate("the text ends inside a code, after " + std::to_string(digits_) + " digit(s)");
    if (codesInLine_ != 0) Deviate("the last line is not ended by CR LF");
}

}  // namespace ciphora
