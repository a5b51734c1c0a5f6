#pragma once

// How the atomic file writer names its temporary files: ".<target name>.ciphora-<process id>-<counter>",
// beside the target, so that leftovers of a writer that died can be told apart from those of live ones.

#include <atomic>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Platform.h"

namespace ciphora {

struct SplitPath {
    std::string directory;
    std::string name;
};

inline SplitPath SplitTargetPath(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparators);
    if (separator == std::string::npos) return {".", path};
    return {separator == 0 ? path.substr(0, 1) : path.substr(0, separator), path.substr(separator + 1)};
}

// Hidden where names starting with a dot are, and tied to its target.
inline std::string TemporaryPrefix(const std::string& targetName) { return "." + targetName + ".ciphora-"; }

inline std::string NewTemporaryPath(const SplitPath& target, unsigned long processId) {
    static std::atomic<unsigned> counter{0};
    return target.directory + kPathSeparator + TemporaryPrefix(target.name) + std::to_string(processId) + "-" +
           std::to_string(counter++);
}

// The id of the process that made the temporary `fileName`, or 0 when the
// name is no temporary of the target whose prefix is given.
inline unsigned long TemporaryOwner(std::string_view fileName, std::string_view prefix) {
    if (!fileName.starts_with(prefix)) return 0;
    return std::strtoul(std::string(fileName.substr(prefix.size())).c_str(), nullptr, 10);
}

}  // namespace ciphora
