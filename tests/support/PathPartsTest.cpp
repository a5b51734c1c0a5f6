#include <gtest/gtest.h>

#include "support/PathParts.h"

namespace ciphora {
namespace {

TEST(PathParts, APathIsCutAtItsLastSeparator) {
    struct Case {
        const char* path;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"input.txt", ".", "input.txt"},   // no directory: the current one
        {"/input.txt", "/", "input.txt"},  // the root keeps its separator
        {"dir/sub/input.txt", "dir/sub", "input.txt"},
        {"dir/", "dir", ""},
        {"", ".", ""},
#ifdef _WIN32
        {"C:\\dir\\input.txt", "C:\\dir", "input.txt"},
        {"dir/sub\\input.txt", "dir/sub", "input.txt"},  // either separator
        {"\\input.txt", "\\", "input.txt"},
#endif
    };
    for (const Case& c : cases) {
        const PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
    }
}

}  // namespace
}  // namespace ciphora
