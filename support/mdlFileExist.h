#pragma once

#include <cstdint>
#include <string>

namespace ciphora {

// Whether a file can be taken as present: 1 present (found, opened, or
// assumed present after a sharing conflict or repeated odd failures), 0 absent
// or refused; any other value is the number of an error trapped after a
// successful open. Refusals and doubts are logged in German.
std::int32_t FileExist(const std::string& path);

}  // namespace ciphora
