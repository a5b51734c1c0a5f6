#pragma once

#include <string>
#include <string_view>

namespace ciphora {

// Where the bench's drive-letter paths ("d:\dorn\output.txt") lie on this
// platform: drive X: is the folder "x" of the drive root (by default /mnt,
// the usual mount point of a Windows drive), and backslashes become the
// platform's separator. Other paths, and every path when the drive root is
// empty (on Windows, where the drives are real), are taken as they stand.
#ifdef _WIN32
inline constexpr std::string_view kDefaultDriveRoot = "";
#else
inline constexpr std::string_view kDefaultDriveRoot = "/mnt";
#endif

class DrivePaths {
public:
    explicit DrivePaths(std::string driveRoot) : driveRoot_(std::move(driveRoot)) {}

    std::string Map(std::string_view path) const;

private:
    std::string driveRoot_;
};

}  // namespace ciphora
