#pragma once

#include <string>
#include <string_view>

namespace ciphora {

// Removes blanks (code 32) from both ends; tabs and line breaks stay.
inline std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

inline bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

// A file name as messages show it: control characters and double quotes
// escaped (\n, \r, \t, \", \xHH), so that a message, and the log entry that
// quotes it, stays one line that says what it says.
inline std::string ShownName(std::string_view name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\n': shown += "\\n"; break;
            case '\r': shown += "\\r"; break;
            case '\t': shown += "\\t"; break;
            case '"': shown += "\\\""; break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    shown += "\\x";
                    shown += kHex[byte >> 4];
                    shown += kHex[byte & 15];
                } else {
                    shown += c;
                }
        }
    }
    return shown;
}

}  // namespace ciphora
