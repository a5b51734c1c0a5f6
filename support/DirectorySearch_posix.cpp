#include "DirectorySearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>

#include "RuntimeError.h"
#include "Wildcard.h"

namespace ciphora {

namespace {

std::string FoldAscii(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

class PosixListing : public DirectoryListing {
public:
    PosixListing(std::string directory, DIR* listing) : directory_(std::move(directory)), listing_(listing) {}
    ~PosixListing() override { ::closedir(listing_); }
    PosixListing(const PosixListing&) = delete;
    PosixListing& operator=(const PosixListing&) = delete;

    std::optional<std::string> NextVisibleFile() override {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(listing_);
            if (!entry) {
                if (errno != 0) throw FileError(errno, directory_);
                return std::nullopt;
            }
            std::string name = entry->d_name;
            if (HoldsVisibleFile(directory_, name)) return name;
        }
    }

private:
    std::string directory_;
    DIR* listing_;
};

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    const std::string foldedPattern = FoldAscii(pattern);
    const std::string foldedName = FoldAscii(name);
    return MatchesFoldedWildcard<char>(foldedPattern, foldedName);
}

std::unique_ptr<DirectoryListing> DirectoryListing::Open(const std::string& directory) {
    DIR* listing = ::opendir(directory.c_str());
    if (listing) return std::make_unique<PosixListing>(directory, listing);
    if (errno == ENOENT || errno == ENOTDIR) return nullptr;
    throw FileError(errno, directory);
}

bool DirectoryListing::HoldsVisibleFile(const std::string& directory, const std::string& name) {
    if (name.starts_with('.')) return false;
    struct stat info {};
    const std::string path = directory + '/' + name;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace ciphora
