#include "DateText.h"

#include <array>
#include <cctype>
#include <optional>

namespace ciphora {

namespace {

struct Part {
    int value;
    std::size_t digits;
};

// Splits "12.3.2024" into its three numbers; one separator kind throughout.
std::optional<std::array<Part, 3>> ThreeNumbers(std::string_view text) {
    std::array<Part, 3> parts{};
    char separator = 0;
    std::size_t index = 0;
    Part current{0, 0};
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (++current.digits > 4) return std::nullopt;
            current.value = current.value * 10 + (c - '0');
        } else if (c == '.' || c == '/' || c == '-') {
            if (separator != 0 && c != separator) return std::nullopt;
            separator = c;
            if (current.digits == 0 || index == 2) return std::nullopt;
            parts[index++] = current;
            current = {0, 0};
        } else {
            return std::nullopt;
        }
    }
    if (current.digits == 0 || index != 2) return std::nullopt;
    parts[2] = current;
    return parts;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool ValidDay(int day, int month, int year) {
    static constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    return !(month == 2 && day == 29 && !IsLeap(year));
}

bool ShortPart(const Part& part) { return part.digits <= 2; }
bool YearPart(const Part& part) { return part.digits == 2 || part.digits == 4; }

int FullYear(const Part& year) {
    if (year.digits == 4) return year.value;
    return year.value < 30 ? 2000 + year.value : 1900 + year.value;
}

}  // namespace

bool LooksLikeDate(std::string_view text) {
    const auto parts = ThreeNumbers(text);
    if (!parts) return false;
    const auto& [a, b, c] = *parts;
    if (a.digits == 4) return ShortPart(b) && ShortPart(c) && ValidDay(c.value, b.value, a.value);
    if (!ShortPart(a) || !ShortPart(b) || !YearPart(c)) return false;
    const int year = FullYear(c);
    return ValidDay(a.value, b.value, year) || ValidDay(b.value, a.value, year);
}

}  // namespace ciphora
