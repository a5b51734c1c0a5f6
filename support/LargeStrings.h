#pragma once

#include <cstddef>
#include <string>

namespace ciphora {

// Makes room for `capacity` characters in the empty `text` before any is
// written. Where the system offers it, the room is backed by large memory
// pages: a fresh page is zeroed by the system when first touched, and for a
// text of hundreds of megabytes the count of small pages, not the copying,
// decides how long building it takes.
void ReserveLargeString(std::string& text, std::size_t capacity);

}  // namespace ciphora
