// The lenient numeric reading and the key check, on any text.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzPlatform.h"
#include "cipher/CipherKey.h"
#include "cipher/LenientNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = LenientNumber(text);
    const auto rounded = RoundToLong(value);
    if (rounded) FUZZ_CHECK(std::fabs(static_cast<double>(*rounded) - value) <= 0.5);

    const KeyCheck check = CheckKey(text);
    if (size < kKeyLength) {
        FUZZ_CHECK(!check.key && check.refusal == "No Key Provided!");
        return 0;
    }
    // The first group out of range is named; without one, every value is taken.
    CipherKey expected;
    for (std::size_t group = 0; group < kKeyGroups; ++group) {
        const auto read = ReadKeyGroup(text.substr(group * kKeyGroupWidth, kKeyGroupWidth));
        if (!read || *read < 0 || *read > 255) {
            FUZZ_CHECK(!check.key && check.refusal == "Key " + std::to_string(group + 1) + " outside Range!");
            return 0;
        }
        expected.values[group] = static_cast<Byte>(*read);
    }
    FUZZ_CHECK(check.key && check.key->values == expected.values && check.refusal.empty());
    return 0;
}
