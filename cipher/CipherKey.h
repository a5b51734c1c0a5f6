#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ciphora {

using Byte = std::uint8_t;

inline constexpr std::size_t kKeyLength = 15;
inline constexpr std::size_t kKeyGroups = 5;
inline constexpr std::size_t kKeyGroupWidth = 3;

// The five key values K1..K5.
struct CipherKey {
    std::array<Byte, kKeyGroups> values{};
};

// The verdict on a key text: the key, or the message that refuses it.
struct KeyCheck {
    std::optional<CipherKey> key;
    std::string refusal;
};

// Checks a key text that has already been trimmed of blanks: at least fifteen
// characters, five groups of three, each reading 0..255. Characters after the
// fifteenth are ignored.
KeyCheck CheckKey(std::string_view trimmedKey);

// Whether the five groups of fifteen key characters each read 1 to 255: the
// command line accepts no 0, although the cipher itself takes it.
bool KeyGroupsInRange(std::string_view keyDigits);

// A key given apart from the command line, read as the command line reads
// it: trimmed of blanks, in upper case, fifteen characters in five groups
// that each read 1 to 255. Nothing for any other text.
std::optional<CipherKey> ReadCommandLineKey(std::string_view keyText);

// The five offsets (the counters C1..C5 after their advance) for one
// character or code.
struct StageOffsets {
    std::array<Byte, kKeyGroups> values{};
};

// The odometer of the key schedule, addressed directly by position: the
// counters start one above the key values; C1 advances for every character,
// and each further counter advances when an advance of the one before lands
// on that counter's key value. As every counter turns over after 256
// advances, counter i+1 has advanced floor((advances of counter i + 1) / 256)
// times, whatever the key values are.
class KeySchedule {
public:
    explicit KeySchedule(const CipherKey& key) : key_(key) {}

    // The offsets for the character at the 1-based position `position`.
    StageOffsets At(std::uint64_t position) const {
        StageOffsets offsets;
        std::uint64_t advances = position;
        for (std::size_t i = 0; i < kKeyGroups; ++i) {
            offsets.values[i] = static_cast<Byte>(key_.values[i] + 1 + advances);
            advances = (advances + 1) >> 8;
        }
        return offsets;
    }

private:
    CipherKey key_;
};

}  // namespace ciphora
