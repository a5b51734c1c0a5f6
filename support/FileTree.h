#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "RuntimeError.h"

namespace ciphora {

// What a name stands for in the file system.
enum class PathKind { Missing, File, Folder, Link, Other };

struct PathInfo {
    PathKind kind = PathKind::Missing;
    std::uint64_t size = 0;  // of a file
};

// What `path` names; a link is one (Link) unless `followLinks`, when it
// stands for what it leads to. Other is a device, a FIFO or a socket.
PathInfo LookAt(const std::string& path, bool followLinks);

// The names in the folder `path`, but "." and "..", sorted; raises
// RuntimeError when the folder cannot be read. One implementation per
// operating system.
std::vector<std::string> FolderNames(const std::string& path);

// Visits every entry below the folder `path`, depth first in name order,
// with what it is (links not followed); a folder inside that cannot be read
// goes to `unreadable` with the failure, and the walk goes on.
void WalkFolder(const std::string& path, const std::function<void(const std::string&, PathInfo)>& visit,
                const std::function<void(const std::string&, const RuntimeError&)>& unreadable);

}  // namespace ciphora
