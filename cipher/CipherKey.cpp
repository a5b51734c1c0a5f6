#include "CipherKey.h"

#include "LenientNumber.h"

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

}  // namespace ciphora
