#include "DirectorySearch.h"

#include "PathParts.h"

namespace ciphora {

namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

}  // namespace

DirectorySearch::DirectorySearch(std::string_view pathPattern)
    : directory_(SplitPath(pathPattern).directory), pattern_(SplitPath(pathPattern).name) {
    literal_ = !HasWildcard(pattern_);
    // A name with a NUL in it cannot name any file.
    if (pathPattern.find('\0') != std::string_view::npos || pattern_.empty()) {
        literal_ = true;
        literalDone_ = true;
        return;
    }
    if (!literal_) listing_ = DirectoryListing::Open(directory_);
}

std::optional<std::string> DirectorySearch::Next() {
    if (literal_) {
        if (literalDone_) return std::nullopt;
        literalDone_ = true;
        if (DirectoryListing::HoldsVisibleFile(directory_, pattern_)) return pattern_;
        return std::nullopt;
    }
    if (!listing_) return std::nullopt;
    while (std::optional<std::string> name = listing_->NextVisibleFile())
        if (WildcardMatch(pattern_, *name)) return name;
    return std::nullopt;
}

}  // namespace ciphora
