#include "LargeStrings.h"

namespace ciphora {

// Large pages need a privilege that programs are not given by default.
void ReserveLargeString(std::string& text, std::size_t capacity) { text.reserve(capacity); }

}  // namespace ciphora
