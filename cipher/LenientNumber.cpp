#include "LenientNumber.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace ciphora {

namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::string WithoutSkippedCharacters(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (!IsSkipped(c)) kept += c;
    return kept;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

double ReadRadixInteger(std::string_view digits, int radix) {
    double value = 0;
    for (char c : digits) {
        const int digit = DigitValue(c);
        if (digit >= radix) break;
        value = value * radix + digit;
    }
    return value;
}

// Collects the longest prefix that forms a decimal number and converts it
// with correct rounding.
double ReadDecimal(std::string_view text) {
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool anyDigit = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number += text[i++];
        anyDigit = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            number += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const std::size_t digitsStart = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) exponent += text[j++];
        if (j > digitsStart) number += exponent;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Only an exponent can leave the range: far above it is infinite,
        // far below it is zero.
        const bool negativeExponent = number.find("e-") != std::string::npos;
        const bool negative = number.starts_with('-');
        if (negativeExponent) return 0;
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    return value;
}

}  // namespace

double LenientNumber(std::string_view text) {
    const std::string kept = WithoutSkippedCharacters(text);
    const std::string_view rest(kept);
    if (rest.size() >= 2 && rest[0] == '&') {
        const char radix = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[1])));
        if (radix == 'H') return ReadRadixInteger(rest.substr(2), 16);
        if (radix == 'O') return ReadRadixInteger(rest.substr(2), 8);
    }
    return ReadDecimal(rest);
}

std::optional<std::int32_t> RoundToLong(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> ReadKeyGroup(std::string_view group) { return RoundToLong(LenientNumber(group)); }

}  // namespace ciphora
