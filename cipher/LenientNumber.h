#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ciphora {

// Reads the number at the start of `text` the lenient way the key groups are
// read: blanks, tabs and line feeds are skipped wherever they stand; an
// optional sign, digits, one decimal point and an exponent introduced by E
// are taken; "&H" and "&O" start a hexadecimal or octal integer; reading stops
// at the first character that cannot continue the number, and a text without
// a number reads as 0. So "007" is 7, " 12" is 12, "&HF" is 15, "1E2" is 100,
// "ABC" is 0 and "-01" is -1.
double LenientNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour; empty when
// the result does not fit a 32-bit signed integer.
std::optional<std::int32_t> RoundToLong(double value);

// A key group of the key text: its lenient reading, rounded.
std::optional<std::int32_t> ReadKeyGroup(std::string_view group);

}  // namespace ciphora
