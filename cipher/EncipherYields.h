#pragma once

#include <cstdint>

#include "support/Platform.h"

namespace ciphora {

// Enciphering hands control to the event loop whenever its staging block of
// 1000 lines overflows: after 20,020 characters and every 20,000 after that.
class EncipherYields {
public:
    static constexpr std::uint64_t kFirst = 20020;
    static constexpr std::uint64_t kEvery = 20000;

    // The next count of characters at which to yield.
    std::uint64_t Next() const { return next_; }

    // Yields once for every point passed now that `enciphered` characters
    // are done.
    void After(std::uint64_t enciphered) {
        for (; next_ <= enciphered; next_ += kEvery) DoEvents();
    }

private:
    std::uint64_t next_ = kFirst;
};

}  // namespace ciphora
