#pragma once

#include <string>
#include <string_view>

#include "cipher/clsEncrypt.h"

namespace ciphora::testing {

// The key the tests encipher with (the bench's test key).
inline constexpr const char* kTestKey = "117032209004188";

// A cipher object with its key text set.
inline clsEncrypt KeyedCipher(const char* key = kTestKey) {
    clsEncrypt cipher;
    cipher.KKey(key);
    return cipher;
}

// The cipher text of `plain` under the test key, as the string operation
// gives it.
inline std::string Enciphered(std::string_view plain) { return KeyedCipher().EncryptString(plain); }

}  // namespace ciphora::testing
