#include "ProgressMeter.h"

#include <cstdio>

namespace ciphora {

namespace {
constexpr double kQuietFor = 1.0;
constexpr double kRedrawEvery = 0.2;
}  // namespace

ProgressMeter::ProgressMeter(std::optional<std::uint64_t> total, Clock clock, Show show)
    : total_(total), clock_(std::move(clock)), show_(std::move(show)), started_(clock_()) {}

std::string ProgressMeter::Amount(double bytes) {
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(kUnits)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    const int length = std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void ProgressMeter::Update(std::uint64_t done) {
    const double now = clock_();
    const double elapsed = now - started_;
    if (elapsed < kQuietFor || (lastShown_ >= 0 && now - lastShown_ < kRedrawEvery)) return;
    lastShown_ = now;
    std::string line = "ciphora: " + Amount(static_cast<double>(done));
    if (total_ && *total_ > 0) line += "  " + std::to_string(done * 100 / *total_) + "%";
    line += "  " + Amount(static_cast<double>(done) / elapsed) + "/s";
    // A shorter line covers what is left of the longer one before it.
    if (line.size() < width_) line.append(width_ - line.size(), ' ');
    width_ = line.size();
    show_("\r" + line);
}

void ProgressMeter::Finish() {
    if (lastShown_ < 0) return;
    show_("\r" + std::string(width_, ' ') + "\r");
}

}  // namespace ciphora
