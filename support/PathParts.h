#pragma once

#include <string>
#include <string_view>

#include "Platform.h"

namespace ciphora {

// A path cut at its last separator: the directory that holds its last
// component ("." when the path names none, the root itself for a component
// in the root) and that component's name.
struct PathParts {
    std::string directory;
    std::string name;
};

inline PathParts SplitPath(std::string_view path) {
    const auto separator = path.find_last_of(kPathSeparators);
    if (separator == std::string_view::npos) return {".", std::string(path)};
    return {std::string(path.substr(0, separator == 0 ? 1 : separator)), std::string(path.substr(separator + 1))};
}

}  // namespace ciphora
