#pragma once

#include <string>
#include <string_view>

namespace ciphora {

// Where the bench's drive-letter paths ("d:\dorn\output.txt") lie on this
// platform: drive X: is the folder "x" of the drive root (by default /mnt,
// the usual mount point of a Windows drive), and backslashes become the
// platform's separator. Other paths are taken as they stand.
class DrivePaths {
public:
    explicit DrivePaths(std::string driveRoot) : driveRoot_(std::move(driveRoot)) {}

    std::string Map(std::string_view path) const;

private:
    std::string driveRoot_;
};

}  // namespace ciphora
