#pragma once

// How the atomic file writer names its temporary files: ".<target name>.ciphora-<16 random hex digits>",
// beside the target. The target's name is cut short where the whole would pass the 255-byte limit of a
// name, and the random part keeps names of concurrent writers, and of leftovers, from colliding.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "PathParts.h"
#include "Platform.h"

namespace ciphora {

inline constexpr std::size_t kLongestName = 255;
inline constexpr std::string_view kTemporaryMark = ".ciphora-";
inline constexpr std::size_t kRandomDigits = 16;

// Hidden where names starting with a dot are, and tied to its target.
inline std::string TemporaryPrefix(std::string_view targetName) {
    const std::size_t room = kLongestName - 1 - kTemporaryMark.size() - kRandomDigits;
    if (targetName.size() > room) {
        targetName = targetName.substr(0, room);
        // Whole UTF-8 characters only.
        while (!targetName.empty() && (static_cast<unsigned char>(targetName.back()) & 0xC0) == 0x80)
            targetName.remove_suffix(1);
        if (!targetName.empty() && static_cast<unsigned char>(targetName.back()) >= 0xC0) targetName.remove_suffix(1);
    }
    return "." + std::string(targetName) + std::string(kTemporaryMark);
}

inline std::string NewTemporaryPath(const PathParts& target) {
    static thread_local std::mt19937_64 random{(std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string digits(kRandomDigits, '0');
    std::uint64_t bits = random();
    for (char& digit : digits) {
        digit = kHex[bits & 15];
        bits >>= 4;
    }
    return target.directory + kPathSeparator + TemporaryPrefix(target.name) + digits;
}

// Whether `fileName` is a temporary file of the target whose prefix is given.
inline bool IsTemporaryOf(std::string_view fileName, std::string_view prefix) {
    return fileName.starts_with(prefix) && fileName.size() == prefix.size() + kRandomDigits &&
           fileName.find_first_not_of("0123456789abcdef", prefix.size()) == std::string_view::npos;
}

// Whether `fileName` is a temporary file of any target: one being written,
// or left by a run that was killed.
inline bool IsTemporaryName(std::string_view fileName) {
    if (!fileName.starts_with('.') || fileName.size() < 1 + kTemporaryMark.size() + kRandomDigits) return false;
    const std::string_view prefix = fileName.substr(0, fileName.size() - kRandomDigits);
    return prefix.ends_with(kTemporaryMark) && IsTemporaryOf(fileName, prefix);
}

}  // namespace ciphora
