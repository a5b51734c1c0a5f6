// Field reading and length stripping of clsFileRead.

#include <algorithm>
#include <cctype>

#include "DateText.h"
#include "clsFileRead.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

namespace {

constexpr std::string_view kNullMarker = "]^NULL^[";
constexpr std::size_t kMaxCountDigits = 4;
constexpr std::size_t kDateLength = 10;

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

enum class FieldClass { None, Date, Numeric };

// Only for the warning: what the field looked like before it was stripped.
FieldClass Classify(std::string_view field) {
    if (field.size() >= kDateLength && (LooksLikeDate(field) || LooksLikeDate(field.substr(0, kDateLength))))
        return FieldClass::Date;
    const bool numeric =
        std::all_of(field.begin(), field.end(), [](char c) { return IsDigit(c) || c == '.' || c == ',' || c == ' '; });
    return numeric ? FieldClass::Numeric : FieldClass::None;
}

}  // namespace

std::int32_t clsFileRead::ReadNextField() {
    DoEvents();
    if (IsBlank(lineString_)) {
        fieldString_.clear();
        isEndOfLine_ = 1;
        return -1;
    }
    fieldString_.clear();
    lineString_ = std::string(TrimBlanks(lineString_));
    const std::size_t position = lineString_.find(fieldDelimiter_);
    if (position == std::string::npos) {
        fieldString_ = std::move(lineString_);
        lineString_.clear();
        return 0;
    }
    fieldString_ = std::string(TrimBlanks(std::string_view(lineString_).substr(0, position)));
    lineString_ = position + 1 < lineString_.size()
                      ? std::string(TrimBlanks(std::string_view(lineString_).substr(position + 1)))
                      : std::string();
    return 0;
}

std::int32_t clsFileRead::StripLength() {
    DoEvents();
    const std::string entry = fieldString_;
    if (fieldString_ == kNullMarker) fieldString_.clear();
    if (IsBlank(fieldString_)) return -1;
    if (fieldString_[0] < '1' || fieldString_[0] > '9') return -1;
    fieldString_ = std::string(TrimBlanks(fieldString_));
    const std::size_t length = fieldString_.size();
    const FieldClass fieldClass = Classify(fieldString_);

    bool stripped = false;
    std::size_t count = 0;
    for (std::size_t digits = 1; digits <= std::min(length, kMaxCountDigits); ++digits) {
        if (!IsDigit(fieldString_[digits - 1])) return -1;
        count = count * 10 + static_cast<std::size_t>(fieldString_[digits - 1] - '0');
        if (count + digits == length || (count + digits == length + 1 && length > 9)) {
            fieldString_ = std::string(TrimBlanks(std::string_view(fieldString_).substr(digits)));
            stripped = true;
            break;
        }
    }
    if (!stripped) return -1;
    if (fieldString_ == kNullMarker) fieldString_.clear();

    if (fieldClass != FieldClass::None) {
        const char* what = fieldClass == FieldClass::Date ? "Date!" : "Numeric!";
        FWriteLog("WARNING!: clsFileRead.StripLength-Possible try to striplen a " + std::string(what) + entry + "->" +
                      fieldString_,
                  "");
    }
    return 0;
}

}  // namespace ciphora
