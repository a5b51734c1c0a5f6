#include "LargeMemory.h"

namespace ciphora {

// Large pages need a privilege that programs are not given by default.
void AdviseLargePages(void*, std::size_t) {}

}  // namespace ciphora
