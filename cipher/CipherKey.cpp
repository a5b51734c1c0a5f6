#include "CipherKey.h"

#include <algorithm>
#include <cctype>

#include "LenientNumber.h"
#include "support/Text.h"

namespace ciphora {

KeyCheck CheckKey(std::string_view trimmedKey) {
    if (trimmedKey.size() < kKeyLength) return {std::nullopt, "No Key Provided!"};
    CipherKey key;
    for (std::size_t group = 0; group < kKeyGroups; ++group) {
        const auto value = ReadKeyGroup(trimmedKey.substr(group * kKeyGroupWidth, kKeyGroupWidth));
        if (!value || *value < 0 || *value > 255)
            return {std::nullopt, "Key " + std::to_string(group + 1) + " outside Range!"};
        key.values[group] = static_cast<Byte>(*value);
    }
    return {key, {}};
}

bool KeyGroupsInRange(std::string_view keyDigits) {
    for (std::size_t group = 0; group < kKeyGroups; ++group) {
        const auto value = ReadKeyGroup(keyDigits.substr(group * kKeyGroupWidth, kKeyGroupWidth));
        if (!value || *value < 1 || *value > 255) return false;
    }
    return true;
}

std::optional<CipherKey> ReadCommandLineKey(std::string_view keyText) {
    std::string key(TrimBlanks(keyText));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (key.size() != kKeyLength || !KeyGroupsInRange(key)) return std::nullopt;
    return CheckKey(key).key;
}

}  // namespace ciphora
