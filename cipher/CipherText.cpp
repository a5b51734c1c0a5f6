#include "CipherText.h"

namespace ciphora {

std::string ZeroPad3(std::int32_t& n) {
    std::string text = std::to_string(n);
    switch (text.size()) {
        case 1: return "00" + text;
        case 2: return "0" + text;
        case 3: return text;
        default: return {};
    }
}

}  // namespace ciphora
