#pragma once

#include "Messages.h"
#include "Options.h"

namespace ciphora {

// -t: checks that each FILE (standard input when none; with -r the files in
// folders that end in the suffix) is sound cipher text, writing nothing but
// one report line per input on standard output. With a key from -k or
// CIPHORA_KEY (never asked for) it also deciphers the text in memory and
// tells whether that looks like text. 0 when every input is sound (and looks
// like text), 65 otherwise.
int RunTest(const Options& options, Messages& messages);

}  // namespace ciphora
