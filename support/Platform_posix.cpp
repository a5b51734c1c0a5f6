#include "Platform.h"

#include <filesystem>
#include <system_error>

namespace ciphora {

std::string Platform::ApplicationDirectory() const {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path().string();
    return executable.parent_path().string();
}

std::tm LocalCalendarTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace ciphora
