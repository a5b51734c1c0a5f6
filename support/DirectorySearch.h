#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ciphora {

// True when `name` matches `pattern` as a directory search on Windows
// matches: case does not matter (on Windows for every letter, elsewhere for
// the ASCII ones), "*" stands for any run of characters, "?" for any one
// character, and a pattern ending in ".*" also matches names without that dot
// ("*.*" matches every name).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The entries of one directory as the system lists them, reduced to the
// ordinary files that are not hidden (on Windows neither hidden nor system
// files; elsewhere no name that starts with "."). One implementation per
// operating system.
class DirectoryListing {
public:
    // Nothing when the directory does not exist; raises RuntimeError when it
    // exists but cannot be listed.
    static std::unique_ptr<DirectoryListing> Open(const std::string& directory);
    // Whether `name` in `directory` is such a file.
    static bool HoldsVisibleFile(const std::string& directory, const std::string& name);

    virtual ~DirectoryListing() = default;
    // The next visible ordinary file's name, or nothing at the end.
    virtual std::optional<std::string> NextVisibleFile() = 0;
};

// Lists the visible ordinary files that match a path, whose last part may
// hold wildcards; names come in the order the file system gives them. A
// directory that does not exist matches nothing; one that exists but cannot
// be listed raises RuntimeError.
class DirectorySearch {
public:
    explicit DirectorySearch(std::string_view pathPattern);

    // The next matching file name (without its directory), or nothing once
    // the search is over.
    std::optional<std::string> Next();

private:
    std::string directory_;
    std::string pattern_;
    bool literal_ = false;
    bool literalDone_ = false;
    std::unique_ptr<DirectoryListing> listing_;
};

}  // namespace ciphora
