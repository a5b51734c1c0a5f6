#include "DrivePaths.h"

#include <algorithm>
#include <cctype>

#include "support/Platform.h"

namespace ciphora {

std::string DrivePaths::Map(std::string_view path) const {
    const bool driveLetter = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    if (!driveLetter || driveRoot_.empty()) return std::string(path);
    std::string rest(path.substr(2));
    std::replace(rest.begin(), rest.end(), '\\', kPathSeparator);
    if (!rest.starts_with(kPathSeparator)) rest.insert(rest.begin(), kPathSeparator);
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return driveRoot_ + kPathSeparator + drive + rest;
}

}  // namespace ciphora
