#include "Platform.h"

#include <chrono>
#include <cstdio>

namespace ciphora {

std::string Platform::CommandLine() const { return {}; }

void Platform::ProcessEvents() {}

void Platform::SetMousePointer(MousePointer) {}

float Platform::SecondsSinceMidnight() const {
    const auto now = std::chrono::system_clock::now();
    const std::tm local = LocalCalendarTime(std::chrono::system_clock::to_time_t(now));
    const auto sinceEpoch = now.time_since_epoch();
    const double fraction =
        std::chrono::duration<double>(sinceEpoch - std::chrono::floor<std::chrono::seconds>(sinceEpoch)).count();
    return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction);
}

double Platform::MonotonicSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::tm Platform::LocalTime() const { return LocalCalendarTime(std::time(nullptr)); }

void Platform::Beep() {
    // A beep that cannot sound has nobody left to tell.
    static_cast<void>(std::fputc('\a', stderr));
    static_cast<void>(std::fflush(stderr));
}

void Platform::ShowLogMessage(std::string_view) {}

namespace {
Platform& DefaultPlatform() {
    static Platform platform;
    return platform;
}
Platform* installed = nullptr;
}  // namespace

Platform& CurrentPlatform() { return installed ? *installed : DefaultPlatform(); }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed) { installed = &platform; }

ScopedPlatform::~ScopedPlatform() { installed = previous_; }

std::string AppFile(std::string_view name) {
    std::string path = AppPath();
    path += kPathSeparator;
    path += name;
    return path;
}

}  // namespace ciphora
