#pragma once

#include "Messages.h"
#include "Options.h"

namespace ciphora {

// -i: enciphers each FILE into FILE + suffix beside it, or deciphers each
// FILE + suffix into FILE, and removes the source once the new file stands
// whole (unless --keep); with -r folders are walked. One file's failure does
// not stop the others; the status is the first failure's.
int RunInPlace(const Options& options, Messages& messages);

}  // namespace ciphora
