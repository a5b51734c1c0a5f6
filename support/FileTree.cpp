#include "FileTree.h"

#include "Platform.h"

namespace ciphora {

void WalkFolder(const std::string& path, const std::function<void(const std::string&, PathInfo)>& visit,
                const std::function<void(const std::string&, const RuntimeError&)>& unreadable) {
    std::vector<std::string> names;
    try {
        names = FolderNames(path);
    } catch (const RuntimeError& error) {
        return unreadable(path, error);
    }
    const bool ended = !path.empty() && kPathSeparators.find(path.back()) != std::string_view::npos;
    for (const std::string& name : names) {
        std::string entry = path;
        if (!ended) entry += kPathSeparator;
        entry += name;
        const PathInfo info = LookAt(entry, false);
        if (info.kind == PathKind::Folder)
            WalkFolder(entry, visit, unreadable);
        else
            visit(entry, info);
    }
}

}  // namespace ciphora
