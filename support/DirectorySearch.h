#pragma once

#include <dirent.h>

#include <optional>
#include <string>
#include <string_view>

namespace ciphora {

// True when `name` matches `pattern` as a directory search on Windows
// matches: case does not matter, "*" stands for any run of characters, "?"
// for any one character, and a pattern ending in ".*" also matches names
// without that dot ("*.*" matches every name).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Lists the ordinary files that match a path, whose last part may hold
// wildcards. Directories, and hidden files (names starting with "."), are
// left out; names come in the order the file system gives them. A directory
// that does not exist matches nothing; one that exists but cannot be listed
// raises RuntimeError.
class DirectorySearch {
public:
    explicit DirectorySearch(std::string_view pathPattern);
    ~DirectorySearch();
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    // The next matching file name (without its directory), or nothing once
    // the search is over.
    std::optional<std::string> Next();

private:
    bool IsOrdinaryFile(const std::string& name) const;

    std::string directory_;
    std::string pattern_;
    bool literal_ = false;
    bool literalDone_ = false;
    DIR* listing_ = nullptr;
};

}  // namespace ciphora
