#pragma once

#include <optional>
#include <string>

#include "Messages.h"
#include "Options.h"
#include "cipher/CipherKey.h"

namespace ciphora {

// The environment variable that may hold the key.
inline constexpr const char* kKeyVariable = "CIPHORA_KEY";

// The key from -k FILE ("-": standard input), else CIPHORA_KEY, else the
// terminal (twice when enciphering) where `mayAsk`. A key file that others
// may read is used with a warning that -q does not silence. Nothing, said,
// when no key could be had or it is refused.
std::optional<CipherKey> ObtainKey(const Options& options, Messages& messages, bool mayAsk = true);

// Whether a key was given without asking for one: -k or CIPHORA_KEY.
bool KeyGiven(const Options& options);

// Writes a new key, from the system's random source, into a new file that
// its owner alone may read ("-": standard output); an existing file is
// refused, never replaced. Returns the exit status.
int WriteNewKey(const std::string& path, Messages& messages);

}  // namespace ciphora
