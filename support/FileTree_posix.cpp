#include "FileTree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "RuntimeError.h"

namespace ciphora {

PathInfo LookAt(const std::string& path, bool followLinks) {
    struct stat info {};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0) return {};
    if (S_ISREG(info.st_mode)) return {PathKind::File, static_cast<std::uint64_t>(info.st_size)};
    if (S_ISDIR(info.st_mode)) return {PathKind::Folder, 0};
    if (S_ISLNK(info.st_mode)) return {PathKind::Link, 0};
    return {PathKind::Other, 0};
}

std::vector<std::string> FolderNames(const std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (!folder) throw FileError(errno, path);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ciphora
