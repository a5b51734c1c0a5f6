#include "DirectorySearch.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>

#include "Platform.h"
#include "RuntimeError.h"

namespace ciphora {

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool Matches(std::string_view pattern, std::string_view name) {
    // Iterative matcher with one backtrack point for the last "*" seen.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && SameLetter(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// A pattern without a directory searches the current one.
std::string DirectoryPart(std::string_view path) {
    const auto slash = path.find_last_of(kPathSeparator);
    if (slash == std::string_view::npos) return ".";
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

std::string NamePart(std::string_view path) {
    const auto slash = path.find_last_of(kPathSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (Matches(pattern, name)) return true;
    return pattern.ends_with(".*") && Matches(pattern.substr(0, pattern.size() - 2), name);
}

DirectorySearch::DirectorySearch(std::string_view pathPattern)
    : directory_(DirectoryPart(pathPattern)), pattern_(NamePart(pathPattern)) {
    literal_ = !HasWildcard(pattern_);
    // A name with a NUL in it cannot name any file.
    if (pathPattern.find('\0') != std::string_view::npos || pattern_.empty()) {
        literal_ = true;
        literalDone_ = true;
        return;
    }
    if (literal_) return;
    listing_ = ::opendir(directory_.c_str());
    if (!listing_ && errno != ENOENT && errno != ENOTDIR) throw FileError(errno, directory_);
}

DirectorySearch::~DirectorySearch() {
    if (listing_) ::closedir(listing_);
}

bool DirectorySearch::IsOrdinaryFile(const std::string& name) const {
    if (name.starts_with('.')) return false;
    struct stat info {};
    const std::string path = directory_ + kPathSeparator + name;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> DirectorySearch::Next() {
    if (literal_) {
        if (literalDone_) return std::nullopt;
        literalDone_ = true;
        if (IsOrdinaryFile(pattern_)) return pattern_;
        return std::nullopt;
    }
    if (!listing_) return std::nullopt;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing_);
        if (!entry) {
            if (errno != 0) throw FileError(errno, directory_);
            return std::nullopt;
        }
        const std::string name = entry->d_name;
        if (WildcardMatch(pattern_, name) && IsOrdinaryFile(name)) return name;
    }
}

}  // namespace ciphora
