#pragma once

#include <string_view>

namespace ciphora {

// Matches a directory-search pattern against a name of the same kind of
// characters, after both were brought to one case: "*" stands for any run of
// characters, "?" for any one, and a pattern ending in ".*" also matches
// names without that dot.
template <typename Char>
bool MatchesFoldedWildcard(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name) {
    const auto matches = [](std::basic_string_view<Char> p, std::basic_string_view<Char> n) {
        // Iterative matcher with one backtrack point for the last "*" seen.
        constexpr auto npos = std::basic_string_view<Char>::npos;
        std::size_t i = 0, j = 0, starI = npos, starJ = 0;
        while (j < n.size()) {
            if (i < p.size() && (p[i] == Char('?') || (p[i] != Char('*') && p[i] == n[j]))) {
                ++i;
                ++j;
            } else if (i < p.size() && p[i] == Char('*')) {
                starI = i++;
                starJ = j;
            } else if (starI != npos) {
                i = starI + 1;
                j = ++starJ;
            } else {
                return false;
            }
        }
        while (i < p.size() && p[i] == Char('*')) ++i;
        return i == p.size();
    };
    if (matches(pattern, name)) return true;
    const Char dotStar[] = {Char('.'), Char('*')};
    return pattern.ends_with(std::basic_string_view<Char>(dotStar, 2)) &&
           matches(pattern.substr(0, pattern.size() - 2), name);
}

}  // namespace ciphora
